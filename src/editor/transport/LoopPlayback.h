#pragma once

#include "editor/transport/Playback.h"
#include "ports/MidiFilePlayer.h"

#include <optional>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kNoLoopPointMessage = "ループポイントが設定されていません";

// What the play button (or the seam audition) plays: the file from `fileMeasure` and how the
// player goes through it; columns are the song's.
struct PlayPlan {
    int fileMeasure = 1;   // the playback file starts at this measure
    PlayRange range;       // in the file's ticks
    int32_t followCol = 0; // the measure playing starts in: the follow counts from here
    std::optional<PlayLoop> loop;
};

// The song's loop as a game plays it (the render's and the loop check's): from the loop
// measure's bar line to the bar line after the last note of any part.
std::optional<PlayLoop> songLoopColumns(const Song& song, const AppFolder& folder);

// The play button's plan: once from the first shown measure, or, with "ループ再生" on and a
// loop point the music has not passed yet, looping from the first shown measure.
PlayPlan playButtonPlan(const PlaybackContext& ctx);

// "つなぎ目を試聴": two measures before the loop end, across the wrap, two measures of the
// loop start, then the end. Nothing without a loop point (the plan is empty).
std::optional<PlayPlan> seamAuditionPlan(const PlaybackContext& ctx);

// The bar lines around a bar line `col`; past the last measure they go on at its length.
int32_t barLineBefore(const Song& song, int32_t col);
int32_t barLineAfter(const Song& song, int32_t col);

} // namespace zelk
