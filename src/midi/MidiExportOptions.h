#pragma once

#include "model/Limits.h"

#include <array>
#include <cstdint>

namespace zelk {

struct Song;

// What the MIDI file writer needs from the window rather than from the song: which
// command writes, where the score is scrolled to and which parts are ticked to play.
struct MidiExportOptions {
    // 1: the export command (whole song, set-up beat, loop marker, every part with notes);
    // 0: playback and recording (from the first shown measure, ticked parts only).
    uint8_t ExportMode = 1;
    // The measure shown first (1-based) and its first column.
    int firstMeasure = 1;
    int32_t ViewCol = 0;
    // Play flags of the parts, 1 = the part plays; only playback reads them.
    std::array<uint8_t, kParts> Check1{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    // Export with a loop point: the conductor track ends on the bar line that ends the
    // last note's measure, so players that wrap at the file's end loop whole measures.
    bool loopToBar = false;

    static MidiExportOptions forExport() { return {}; }
    // Playback scrolled to `measure` with the given play flags.
    static MidiExportOptions forPlayback(const Song& song, int measure,
                                         const std::array<uint8_t, kParts>& playing);
};

} // namespace zelk
