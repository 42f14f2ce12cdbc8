#pragma once

#include <cstdint>
#include <optional>

namespace zelk {

struct Song;

// The exported file's tick of a column: the set-up beat comes first.
uint32_t exportTickOfColumn(int32_t col);
// The song's measure (1-based) holding an exported file's tick; the set-up beat counts to
// measure 1.
int measureOfExportTick(const Song& song, uint32_t tick);

// The song's loop as a game plays it: from the bar line where the loop measure begins to
// the bar line that ends the measure in which the last note ends (ticks of the exported
// file). A song keeps hundreds of empty measures, so the measure count is not the end.
struct LoopSpan {
    int32_t startCol = 0;
    int32_t endCol = 0;
    uint32_t startTick = 0;
    uint32_t endTick = 0;
};

// Why a song has no loop to play.
enum class NoLoop { Off, BeyondSong, NoNotesAfter };

// The first bar line at or after an exported file's tick; past the last measure the bar
// lines go on at the last measure's length.
int32_t barLineAtOrAfter(const Song& song, uint32_t tick);

// The loop of a song whose exported file's last note ends at lastNoteOff; nullopt with
// the reason in `why` (if given) when the song has none.
std::optional<LoopSpan> loopSpanOf(const Song& song, uint32_t lastNoteOff, NoLoop* why = nullptr);

} // namespace zelk
