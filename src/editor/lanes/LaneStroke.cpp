#include "editor/lanes/LaneStroke.h"

#include "editor/UndoSteps.h"
#include "editor/lanes/LaneValues.h"

#include <memory>

namespace zelk {

namespace {

std::shared_ptr<const LaneStrokeValues> strokeValues(const Song& song, const PendingStroke& s) {
    auto v = std::make_shared<LaneStrokeValues>();
    v->screen = s.screen;
    v->firstCol = s.before.begin()->first;
    const int32_t last = s.before.rbegin()->first;
    for (int32_t col = v->firstCol; col <= last; ++col) {
        const int32_t now = laneValue(song, s.screen, col);
        const auto old = s.before.find(col);
        v->before.push_back(old == s.before.end() ? now : old->second);
        v->after.push_back(now);
    }
    return v;
}

void openStroke(EditContext& ctx, uint8_t screen) {
    PendingStroke& s = ctx.editor.lanes.stroke;
    s.open = true;
    s.screen = screen;
    s.part = ctx.song.CurPart;
    s.viewCol = ctx.editor.view.ViewCol;
    s.firstMeasure = ctx.editor.view.FirstMeasure;
    s.before.clear();
}

} // namespace

bool writeLaneValue(EditContext& ctx, uint8_t screen, int32_t col, int32_t value) {
    const int32_t old = laneValue(ctx.song, screen, col);
    if (old == value)
        return false;
    PendingStroke& s = ctx.editor.lanes.stroke;
    if (s.open && (s.screen != screen || s.part != ctx.song.CurPart))
        finishLaneStroke(ctx);
    if (!s.open)
        openStroke(ctx, screen);
    s.before.try_emplace(col, old);
    setLaneValue(ctx.song, screen, col, value);
    ctx.song.Dirty = 1;
    return true;
}

void finishLaneStroke(EditContext& ctx) {
    PendingStroke& s = ctx.editor.lanes.stroke;
    if (!s.open)
        return;
    s.open = false;
    if (s.before.empty() || ctx.song.undo.InUndo != 0)
        return;
    UndoRecord r;
    r.kind = kUndoLaneStroke;
    r.viewCol = s.viewCol;
    r.firstMeasure = s.firstMeasure;
    r.part = s.part;
    r.stroke = strokeValues(ctx.song, s);
    s.before.clear();
    recordStep(ctx, std::move(r));
}

void replayLaneStroke(Song& song, const LaneStrokeValues& stroke, bool undo) {
    const auto& values = undo ? stroke.before : stroke.after;
    for (size_t i = 0; i < values.size(); ++i)
        setLaneValue(song, stroke.screen, stroke.firstCol + static_cast<int32_t>(i), values[i]);
    song.Dirty = 1;
}

} // namespace zelk
