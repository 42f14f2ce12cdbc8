#pragma once

#include "render/RenderPlan.h"

#include <cstdint>
#include <string>

namespace zelk {

struct MidiFileEvents;

// The plan of any MIDI file, rendered from its own events: no grid, no quantizing, its
// tempo map as it is. The loop is the one the older game tools play (midiFileLoop): from
// the first controller 111 to the file's end. options.parts choose channels (part p is
// channel p + 1). leadTick ticks at the start are left out of the audio's time (our own
// export's set-up beat, as a render of its project leaves it out). Throws NothingToRender
// for a file (or choice of channels) without notes.
RenderPlan planMidiFileRender(const MidiFileEvents& file, std::string title, std::string copyright,
                              const RenderOptions& options, uint32_t leadTick = 0);

} // namespace zelk
