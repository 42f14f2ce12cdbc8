#include "editor/lanes/LaneMouse.h"

#include "editor/lanes/LaneLine.h"
#include "editor/lanes/LaneStroke.h"
#include "editor/lanes/LaneValues.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "model/Limits.h"

#include <algorithm>
#include <string>

namespace zelk {

namespace {

// Velocities are written only where a note starts, and never as 0: a start with
// velocity 0 would vanish from the lane and sound as a note-off.
void writeVelocity(EditContext& ctx, int32_t col, int32_t value, EditOutcome& out) {
    if (ctx.song.part.VelLane[col] == 0)
        return;
    if (writeLaneValue(ctx, ScreenVel, col, std::max(1, value)))
        out.laneChanged(col - ctx.editor.view.ViewCol);
}

void write(EditContext& ctx, uint8_t screen, int32_t col, int32_t value, EditOutcome& out) {
    if (col < 0 || col > kMaxSongCols)
        return;
    if (screen == ScreenVel)
        writeVelocity(ctx, col, value, out);
    else if (writeLaneValue(ctx, screen, col, value))
        out.laneChanged(col - ctx.editor.view.ViewCol);
}

EditOutcome hoverVelocity(EditContext& ctx, bool left, double x, double y) {
    ViewState& v = ctx.editor.view;
    const int32_t value = controllerValueAt(v, y);
    ctx.editor.palette.PointerText = std::to_string(value);
    EditOutcome out;
    if (!left || y >= v.ScaleHeight - 100)
        return out;
    NoteEntryState& e = ctx.editor.entry;
    resolveFor(v, e, nearest(x), ctx.editor.palette.TupletMode);
    write(ctx, ScreenVel, pointedColumn(v, e), value, out);
    return out;
}

EditOutcome hoverLane(EditContext& ctx, uint8_t screen, bool left, double x, double y) {
    ViewState& v = ctx.editor.view;
    const int32_t value = screen == ScreenTem ? tempoValueAt(v, y) : controllerValueAt(v, y);
    ctx.editor.palette.PointerText = std::to_string(value);
    NoteEntryState& e = ctx.editor.entry;
    resolveNormal(v, e, nearest(x));
    EditOutcome out;
    if (left)
        write(ctx, screen, e.ClickCol, value, out);
    return out;
}

// The value of the line point at height h (twips), q = h \ LaneScale. A tempo just above
// the top (the line starts 7 twips over the press) stays 300.
int32_t lineValue(const EditContext& ctx, uint8_t screen, int32_t h, int32_t q) {
    if (screen == ScreenTem)
        return std::clamp(tempoValueAt(ctx.editor.view, static_cast<double>(h)), 0, 300);
    return 127 - q;
}

} // namespace

EditOutcome laneMouseDown(EditContext& ctx, int button, double x, double y) {
    finishLaneStroke(ctx);
    if (button != 2)
        return {};
    LaneEditState& l = ctx.editor.lanes;
    l.LineX0 = nearest(x);
    l.LineY0 = nearest(y - 7);
    l.Line1 = {true, x, static_cast<double>(l.LineY0), x, static_cast<double>(l.LineY0)};
    EditOutcome out;
    out.lineMoved = true;
    return out;
}

EditOutcome laneMouseMove(EditContext& ctx, int button, double x, double y) {
    LaneEditState& l = ctx.editor.lanes;
    if (l.Line1.visible && button == 2) {
        l.Line1.x2 = x;
        l.Line1.y2 = y;
        EditOutcome out;
        out.lineMoved = true;
        return out;
    }
    const uint8_t screen = ctx.editor.palette.InputScreen;
    const bool left = (button & 1) != 0;
    if (screen == ScreenScore || ctx.editor.view.LaneScale == 0)
        return {};
    // Below the last whole step a controller value would be negative: nothing happens.
    if (screen != ScreenTem && controllerValueAt(ctx.editor.view, y) < 0)
        return {};
    if (screen == ScreenVel)
        return hoverVelocity(ctx, left, x, y);
    return hoverLane(ctx, screen, left, x, y);
}

LineRelease commitLaneLine(EditContext& ctx, double x, double y) {
    LaneEditState& l = ctx.editor.lanes;
    const ViewState& v = ctx.editor.view;
    const uint8_t screen = ctx.editor.palette.InputScreen;
    l.Line1.visible = false;
    LineRelease r;
    r.outcome.lineMoved = true;
    r.outcome.redraw = true;
    if (screen == ScreenScore || v.LaneScale == 0 || v.ColWidth == 0)
        return r;
    finishLaneStroke(ctx); // a left drag held at the same time is a stroke of its own
    const bool rightward = x > l.LineX0;
    const int32_t step = rightward ? 1 : -1;
    const int32_t probe = l.LineX0 + step * v.ColWidth;
    const int32_t d = lineStep(v, l.LineX0, l.LineY0, x, y, probe);
    const int32_t last = nearest(x) / v.ColWidth;
    const int32_t edge = rightward ? v.ShownCols : -1;
    for (int32_t j = l.LineX0 / v.ColWidth, n = 0;; j += step, ++n) {
        const int32_t h = n * d + l.LineY0;
        const int32_t q = h / v.LaneScale;
        const int32_t col = v.ViewCol + j;
        if (q < 0 || q > 127 || j == edge || col > kMaxSongCols) {
            r.stopped = true;
            break;
        }
        write(ctx, screen, col, lineValue(ctx, screen, h, q), r.outcome);
        if (j == last)
            break;
    }
    finishLaneStroke(ctx);
    return r;
}

} // namespace zelk
