#include "editor/lanes/LaneMouse.h"

#include "editor/lanes/LaneStroke.h"
#include "editor/lanes/LaneValues.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "model/Limits.h"

#include <algorithm>
#include <cmath>
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

// A lane's value at height y (twips), kept in the lane's range: the line and the columns
// between two pointer positions clamp at the top and the bottom instead of stopping.
int32_t valueAtHeight(const ViewState& v, uint8_t screen, double y) {
    if (screen == ScreenTem)
        return std::clamp(tempoValueAt(v, y), 0, 300);
    return std::clamp(controllerValueAt(v, y), 0, 127);
}

// The column a pointer x (twips) edits: a note click's resolution on "Vel.", so that
// tuplet heads are reached; the plain column elsewhere.
int32_t columnAt(EditContext& ctx, uint8_t screen, double x) {
    ViewState& v = ctx.editor.view;
    NoteEntryState& e = ctx.editor.entry;
    if (screen == ScreenVel) {
        resolveFor(v, e, nearest(x), ctx.editor.palette.TupletMode);
        return pointedColumn(v, e);
    }
    resolveNormal(v, e, nearest(x));
    return e.ClickCol;
}

// A fast drag skips columns between two pointer events: every column passed between the
// last position and this one takes the value of the straight path between them there.
void fillPassedColumns(EditContext& ctx, uint8_t screen, double x, double y, EditOutcome& out) {
    const LaneEditState& l = ctx.editor.lanes;
    if (!l.dragFrom || l.dragFrom->x == x)
        return;
    const double x0 = l.dragFrom->x, y0 = l.dragFrom->y;
    const ViewState& v = ctx.editor.view;
    const double step = std::max(1.0, v.ColWidth / 3.0); // tuplet slots too
    const int samples = static_cast<int>(std::abs(x - x0) / step);
    int32_t written = columnAt(ctx, screen, x0);
    const int32_t target = columnAt(ctx, screen, x);
    for (int k = 1; k <= samples; ++k) {
        const double xs = x0 + (x > x0 ? k : -k) * step;
        const int32_t col = columnAt(ctx, screen, xs);
        if (col == written || col == target)
            continue;
        // The path's height at the column's centre (within the two positions).
        const double xc =
            std::clamp((col - v.ViewCol + 0.5) * v.ColWidth, std::min(x0, x), std::max(x0, x));
        const double yc = y0 + (y - y0) * (xc - x0) / (x - x0);
        write(ctx, screen, col, valueAtHeight(v, screen, yc), out);
        written = col;
    }
}

EditOutcome hoverLane(EditContext& ctx, uint8_t screen, bool left, double x, double y) {
    ViewState& v = ctx.editor.view;
    const int32_t value = screen == ScreenTem ? tempoValueAt(v, y) : controllerValueAt(v, y);
    ctx.editor.palette.PointerText = std::to_string(value);
    EditOutcome out;
    LaneEditState& l = ctx.editor.lanes;
    // The bottom 100 twips of "Vel." set nothing.
    if (!left || (screen == ScreenVel && y >= v.ScaleHeight - 100)) {
        l.dragFrom.reset();
        return out;
    }
    fillPassedColumns(ctx, screen, x, y, out);
    write(ctx, screen, columnAt(ctx, screen, x), value, out);
    l.dragFrom = LanePoint{x, y};
    return out;
}

// The columns a right-drag line walks, from the press column to the release column, each
// given the height of the drawn segment there: the press column takes the line's start
// (7 twips over the press), the release column its end, the columns between lie on the
// straight line between those two.
double lineHeight(const LaneEditState& l, double y, int32_t n, int32_t columns) {
    if (columns == 0)
        return y;
    return l.LineY0 + (y - l.LineY0) * static_cast<double>(n) / columns;
}

} // namespace

EditOutcome laneMouseDown(EditContext& ctx, int button, double x, double y) {
    finishLaneStroke(ctx);
    LaneEditState& l = ctx.editor.lanes;
    l.dragFrom.reset();
    if (button != 2)
        return {};
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
    const int32_t first = l.LineX0 / v.ColWidth;
    const int32_t last = nearest(x) / v.ColWidth;
    const int32_t step = last >= first ? 1 : -1;
    const int32_t columns = std::abs(last - first);
    const int32_t edge = step > 0 ? v.ShownCols : -1;
    for (int32_t j = first, n = 0;; j += step, ++n) {
        const int32_t col = v.ViewCol + j;
        if (j == edge || col > kMaxSongCols) {
            r.stopped = true;
            break;
        }
        write(ctx, screen, col, valueAtHeight(v, screen, lineHeight(l, y, n, columns)), r.outcome);
        if (j == last)
            break;
    }
    finishLaneStroke(ctx);
    return r;
}

} // namespace zelk
