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

int32_t barLineAtOrAfter(const Song& song, uint32_t tick) {
    const uint32_t past = tick > kSetUpBeat ? tick - kSetUpBeat : 0;
    const auto col = static_cast<int32_t>((past + kTicksPerColumn - 1) / kTicksPerColumn);
    for (int m = 0; m <= song.MeasureCount(); ++m)
        if (song.SumMeasureLen(m) >= col)
            return song.SumMeasureLen(m);
    return col;
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
