#pragma once

#include "import/SongEvents.h"
#include "midi/MidiFileEvents.h"

#include <optional>

namespace zelk {

// Tick of column 0 in our export: the set-up beat comes first.
inline constexpr uint32_t kOwnExportOrigin = 480;

// The parts of a foreign file: each channel is its part, channel 10 the rhythm part.
TrackParts channelParts(const MidiFileEvents& file);

// Our own export, recognised by its set-up beat: the conductor's opening (title,
// copyright, General MIDI on, 1/4 for the set-up beat, then the song's time signature, key
// and tempo at tick 480) and part tracks that each open with the six set-up events on
// ticks 180..480. Any part may be a rhythm part, so every track gets a part of its own in
// track order: a channel's own part, and for a channel-10 track the first free part after
// the previous track's (part 10 where the order allows), marked as rhythm part.
std::optional<TrackParts> recogniseOwnExport(const MidiFileEvents& file);

} // namespace zelk
