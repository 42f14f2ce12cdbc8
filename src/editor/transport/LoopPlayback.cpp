#include "editor/transport/LoopPlayback.h"

#include "midi/LoopSpan.h"
#include "model/PartFile.h"
#include "model/Song.h"

#include <algorithm>

namespace zelk {
namespace {

int32_t lastMeasureLen(const Song& song) {
    const int count = song.MeasureCount();
    return count > 0 && song.MeasureLen.len(count) > 0 ? song.MeasureLen.len(count) : 32;
}

uint32_t fileTick(int32_t col, int32_t fileCol) {
    return static_cast<uint32_t>(std::max(0, col - fileCol)) * 60;
}

} // namespace

int32_t barLineBefore(const Song& song, int32_t col) {
    const int32_t total = song.SumMeasureLen(song.MeasureCount());
    if (col > total)
        return std::max(total, col - lastMeasureLen(song));
    if (col <= 0)
        return 0;
    return song.SumMeasureLen(song.MeasureLen.measureOfColumn(col - 1) - 1);
}

int32_t barLineAfter(const Song& song, int32_t col) {
    const int32_t total = song.SumMeasureLen(song.MeasureCount());
    if (col >= total)
        return col + lastMeasureLen(song);
    return song.SumMeasureLen(song.MeasureLen.measureOfColumn(col));
}

std::optional<PlayLoop> songLoopColumns(const Song& song, const AppFolder& folder) {
    const int32_t last = songLastNoteOffCol(song, folder);
    if (last <= 0)
        return std::nullopt;
    const auto span = loopSpanOf(song, exportTickOfColumn(last));
    if (!span)
        return std::nullopt;
    return PlayLoop{span->startCol, span->endCol, song.LoopMeasure + 1};
}

PlayPlan playButtonPlan(const PlaybackContext& ctx) {
    const ViewState& view = ctx.editor.view;
    PlayPlan plan;
    plan.fileMeasure = view.FirstMeasure;
    plan.followCol = view.ViewCol;
    if (!ctx.editor.palette.LoopPlayback)
        return plan;
    const auto loop = songLoopColumns(ctx.song, ctx.folder);
    if (!loop || view.ViewCol >= loop->endCol)
        return plan; // nothing to wrap to from here: once, as without the option
    plan.fileMeasure = std::min(view.FirstMeasure, loop->measure);
    const int32_t fileCol = ctx.song.SumMeasureLen(plan.fileMeasure - 1);
    plan.range.fromTick = fileTick(view.ViewCol, fileCol);
    plan.range.loop = std::pair(fileTick(loop->startCol, fileCol), fileTick(loop->endCol, fileCol));
    plan.loop = loop;
    return plan;
}

std::optional<PlayPlan> seamAuditionPlan(const PlaybackContext& ctx) {
    const auto loop = songLoopColumns(ctx.song, ctx.folder);
    if (!loop)
        return std::nullopt;
    const Song& song = ctx.song;
    const int32_t from =
        std::max(loop->startCol, barLineBefore(song, barLineBefore(song, loop->endCol)));
    const int32_t until =
        std::min(loop->endCol, barLineAfter(song, barLineAfter(song, loop->startCol)));
    PlayPlan plan;
    plan.fileMeasure = loop->measure;
    plan.followCol = from;
    plan.range.fromTick = fileTick(from, loop->startCol);
    plan.range.loop = std::pair(0u, fileTick(loop->endCol, loop->startCol));
    plan.range.stopAfterWrapAt = fileTick(until, loop->startCol);
    plan.loop = loop;
    return plan;
}

} // namespace zelk
