#pragma once

#include "midi/LoopCheck.h"
#include "midi/LoopSpan.h"
#include "midi/MidiFileEvents.h"

#include <optional>

namespace zelk {

// The loop of any MIDI file as the older game tools play it: from its first controller 111
// (on any channel) to the file's end, its latest end of track, where they wrap. Only the
// ticks of the span are set. nullopt without a marker, or with the marker at the end.
std::optional<LoopSpan> midiFileLoop(const MidiFileEvents& file);

// The measure (1-based) of a file tick by the file's own time signatures, 4/4 before the
// first; a signature inside a measure starts a new one there.
int midiFileMeasureOf(const MidiFileEvents& file, uint32_t tick);

// The rules of the loop check over any MIDI file: notes across the loop's start or end,
// controllers, programs and tempo the loop leaves otherwise than it found them. The first
// line names the loop by its ticks and measures; a marker at the file's end is a finding.
LoopReport checkMidiFileLoop(const MidiFileEvents& file);

} // namespace zelk
