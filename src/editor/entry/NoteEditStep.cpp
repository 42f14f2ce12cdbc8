#include "editor/entry/NoteEditStep.h"

#include "editor/UndoSteps.h"
#include "editor/entry/NoteCells.h"
#include "model/Limits.h"
#include "model/PartFile.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr size_t kLaneKinds = 5;

template <typename Part> auto& laneOf(Part& part, NoteEditValues::LaneKind kind) {
    switch (kind) {
    case NoteEditValues::Sounding:
        return part.Sounding;
    case NoteEditValues::Vel:
        return part.VelLane;
    case NoteEditValues::Pit:
        return part.PitLane;
    case NoteEditValues::Mod:
        return part.ModLane;
    default:
        return part.ExpLane;
    }
}

NoteEditValues::LaneKind laneKind(size_t i) {
    return static_cast<NoteEditValues::LaneKind>(i % kLaneKinds);
}

size_t cellNumber(int32_t col, int row) {
    return static_cast<size_t>(col) * kRows + static_cast<size_t>(row);
}

// PartLen after an edit that removed and placed notes up to column `last`.
void followPartLen(EditContext& ctx, int32_t last) {
    CurrentPart& part = ctx.song.part;
    const int32_t hi = highestEndColumn(part.Grid, std::max(part.PartLen, last));
    if (hi > 0)
        part.PartLen = hi;
    else
        forgetEmptiedPart(ctx.song, ctx.folder);
}

} // namespace

PartRegion::PartRegion(const CurrentPart& part, int32_t first, int32_t last)
    : first_(std::clamp(first, 0, kGridCols - 1)), last_(std::clamp(last, 0, kGridCols - 1)),
      partLen_(part.PartLen) {
    const NoteGrid& g = part.Grid;
    cells_.reserve(cellNumber(last_ - first_ + 1, 0));
    for (size_t n = cellNumber(first_, 0); n < cellNumber(last_ + 1, 0); ++n)
        cells_.push_back(g.atSequence(n));
    for (int32_t col = first_; col <= std::min(last_, kMaxSongCols); ++col)
        for (size_t k = 0; k < kLaneKinds; ++k)
            lanes_.push_back(laneOf(part, laneKind(k))[col]);
}

void PartRegion::restore(CurrentPart& part) const {
    const size_t from = cellNumber(first_, 0);
    for (size_t i = 0; i < cells_.size(); ++i)
        part.Grid.atSequence(from + i) = cells_[i];
    for (size_t i = 0; i < lanes_.size(); ++i) {
        const auto col = first_ + static_cast<int32_t>(i / kLaneKinds);
        laneOf(part, laneKind(i))[col] = lanes_[i];
    }
    part.PartLen = partLen_;
}

std::shared_ptr<const NoteEditValues> PartRegion::changes(const CurrentPart& part) const {
    auto v = std::make_shared<NoteEditValues>();
    const size_t from = cellNumber(first_, 0);
    for (size_t i = 0; i < cells_.size(); ++i)
        if (const int32_t now = part.Grid.atSequence(from + i); now != cells_[i])
            v->cells.push_back({static_cast<uint32_t>(from + i), cells_[i], now});
    for (size_t i = 0; i < lanes_.size(); ++i) {
        const auto col = first_ + static_cast<int32_t>(i / kLaneKinds);
        if (const uint8_t now = laneOf(part, laneKind(i))[col]; now != lanes_[i])
            v->lanes.push_back({col, laneKind(i), lanes_[i], now});
    }
    v->partLenBefore = partLen_;
    v->partLenAfter = part.PartLen;
    if (v->cells.empty() && v->lanes.empty() && partLen_ == part.PartLen)
        return nullptr;
    return v;
}

void replayNoteEdit(EditContext& ctx, const NoteEditValues& values, bool undo) {
    CurrentPart& part = ctx.song.part;
    for (const auto& c : values.cells)
        part.Grid.atSequence(c.at) = undo ? c.before : c.after;
    for (const auto& l : values.lanes)
        laneOf(part, l.lane)[l.col] = undo ? l.before : l.after;
    part.PartLen = undo ? values.partLenBefore : values.partLenAfter;
    if (part.PartLen == 0)
        forgetEmptiedPart(ctx.song, ctx.folder);
    ctx.song.Dirty = 1;
}

bool finishNoteEdit(EditContext& ctx, const PartRegion& region) {
    followPartLen(ctx, region.last());
    auto values = region.changes(ctx.song.part);
    if (!values)
        return false;
    ctx.song.Dirty = 1;
    if (ctx.song.undo.InUndo != 0)
        return false;
    UndoRecord r = stepHere(ctx, kUndoNoteEdit);
    r.notes = std::move(values);
    recordStep(ctx, std::move(r));
    return true;
}

} // namespace zelk
