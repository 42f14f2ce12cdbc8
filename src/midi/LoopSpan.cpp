#include "midi/LoopSpan.h"

#include "model/Song.h"

namespace zelk {
namespace {

constexpr uint32_t kSetUpBeat = 480;
constexpr uint32_t kTicksPerColumn = 60;

} // namespace

uint32_t exportTickOfColumn(int32_t col) {
    return kSetUpBeat + kTicksPerColumn * static_cast<uint32_t>(col);
}

int measureOfExportTick(const Song& song, uint32_t tick) {
    const auto col =
        static_cast<int>(tick > kSetUpBeat ? (tick - kSetUpBeat) / kTicksPerColumn : 0);
    return song.MeasureLen.measureOfColumn(col);
}

int32_t barLineAtOrAfter(const Song& song, uint32_t tick) {
    const uint32_t past = tick > kSetUpBeat ? tick - kSetUpBeat : 0;
    const auto col = static_cast<int32_t>((past + kTicksPerColumn - 1) / kTicksPerColumn);
    const int count = song.MeasureCount();
    for (int m = 0; m <= count; ++m)
        if (song.SumMeasureLen(m) >= col)
            return song.SumMeasureLen(m);
    // Notes past the last measure: its bar lines go on at its length.
    const int32_t last = song.SumMeasureLen(count);
    const int32_t len =
        count > 0 && song.MeasureLen.len(count) > 0 ? song.MeasureLen.len(count) : 32;
    return last + (col - last + len - 1) / len * len;
}

std::optional<LoopSpan> loopSpanOf(const Song& song, uint32_t lastNoteOff, NoLoop* why) {
    const auto fail = [why](NoLoop reason) {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (song.LoopOn != 1)
        return fail(NoLoop::Off);
    if (song.LoopMeasure < 0 || song.LoopMeasure >= song.MeasureCount())
        return fail(NoLoop::BeyondSong);
    LoopSpan s;
    s.startCol = song.SumMeasureLen(song.LoopMeasure);
    s.endCol = barLineAtOrAfter(song, lastNoteOff);
    if (s.endCol <= s.startCol)
        return fail(NoLoop::NoNotesAfter);
    s.startTick = exportTickOfColumn(s.startCol);
    s.endTick = exportTickOfColumn(s.endCol);
    return s;
}

} // namespace zelk
