#include "editor/entry/SelectionMouse.h"

#include "editor/entry/CanvasMouse.h"
#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteCells.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "editor/view/SelectionDraw.h"
#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

// A band or a drag that stays within this many pixels each way is a click.
constexpr double kClickPixels = 3;

bool withinClick(const ViewState& v, double dx, double dy) {
    const double reach = kClickPixels * v.TwipsPerPixel;
    return std::abs(dx) <= reach && std::abs(dy) <= reach;
}

EditOutcome overlayChanged() {
    EditOutcome out;
    out.overlayChanged = true;
    return out;
}

// What the Part's press remembers, so that a double click or a drag released in place
// runs the Part's press.
void rememberPress(EditContext& ctx, int button, int shift, double x, std::optional<int> row) {
    NoteEntryState& e = ctx.editor.entry;
    e.ClickButton = static_cast<uint8_t>(button);
    e.ClickShift = static_cast<uint8_t>(shift);
    e.DownX = nearest(x);
    if (row)
        e.ClickRow = static_cast<uint8_t>(*row);
}

// The shifts (thirds) that keep the notes inside the song: no head before column 0, no end
// mark after the last column.
struct ShiftLimits {
    int32_t earliest = 0;
    int32_t latest = 0;
    int rowsUp = 0;   // rows the notes may rise (a negative shift of rows)
    int rowsDown = 0; // rows they may fall
};

ShiftLimits limitsOf(const Song& song, const std::vector<NoteSpan>& notes) {
    const int32_t songEnd = std::min(kMaxSongCols, song.MeasureLen.totalCols());
    ShiftLimits l{INT32_MIN, INT32_MAX, kRows, kRows};
    for (const NoteSpan& n : notes) {
        l.earliest = std::max(l.earliest, -markTime(n.head, n.tuplet));
        l.latest = std::min(l.latest, kThirdsPerColumn * songEnd - markTime(n.end, n.tuplet));
        l.rowsUp = std::min(l.rowsUp, n.row);
        l.rowsDown = std::min(l.rowsDown, kRows - 1 - n.row);
    }
    return l;
}

// The multiple of step nearest to t that lies within earliest..latest (which hold 0).
int32_t snapWithin(double t, int32_t step, const ShiftLimits& l) {
    auto k = static_cast<int32_t>(std::lround(t / step));
    k = std::min(k, l.latest >= 0 ? l.latest / step : 0);
    k = std::max(k, l.earliest <= 0 ? -(-l.earliest / step) : 0);
    return k * step;
}

EditOutcome finishBand(EditContext& ctx, const SelectionBand& b) {
    const ViewState& v = ctx.editor.view;
    NoteSelection& sel = ctx.editor.selection;
    if (sel.part != ctx.song.CurPart)
        sel.set(ctx.song.CurPart, {});
    if (withinClick(v, b.x1 - b.x0, b.y1 - b.y0)) {
        const auto row = rowAt(v, b.y0);
        const auto note = row ? noteUnderPointer(ctx.song, v, b.x0, *row) : std::nullopt;
        if (note)
            sel.toggle(keyOf(*note));
        else if (!b.adding)
            sel.notes.clear();
    } else {
        std::vector<NoteKey> keys = notesInBand(ctx.song, v, b.x0, b.y0, b.x1, b.y1);
        if (b.adding)
            keys.insert(keys.end(), sel.notes.begin(), sel.notes.end());
        sel.set(ctx.song.CurPart, std::move(keys));
    }
    EditOutcome out = overlayChanged();
    out.redraw = true;
    return out;
}

// The release of a drag that never left the press: the Part's click on that note.
EditOutcome clickInPlace(EditContext& ctx, double x, double y) {
    ctx.editor.selection.clear();
    EditOutcome out = overlayChanged();
    out.redraw = true;
    out |= HitTestPress(ctx);
    out |= Picture1_MouseUp(ctx, 1, 0, x, y);
    return out;
}

} // namespace

SelectionPress selectionMouseDown(EditContext& ctx, int button, int shift, double x, double y) {
    SelectionPress p;
    if (button != 1)
        return p;
    NoteSelection& sel = ctx.editor.selection;
    const ViewState& v = ctx.editor.view;
    const auto row = rowAt(v, y);
    if (shift & 2) {
        rememberPress(ctx, button, shift, x, row);
        sel.band = {true, (shift & 1) != 0, x, y, x, y};
        p.handled = true;
        p.outcome = overlayChanged();
        return p;
    }
    if (shift == 0 && row && sel.part == ctx.song.CurPart && !sel.empty()) {
        const auto note = noteUnderPointer(ctx.song, v, x, *row);
        if (note && sel.contains(keyOf(*note))) {
            rememberPress(ctx, button, shift, x, row);
            sel.drag = {true, false, x, y, *row, selectedNotes(ctx.song, sel), 0, 0};
            p.handled = true;
            return p;
        }
    }
    if (!sel.empty()) {
        sel.clear();
        p.outcome.redraw = true;
    }
    return p;
}

bool selectionGestureRuns(const EditContext& ctx) {
    const NoteSelection& sel = ctx.editor.selection;
    return sel.band.active || sel.drag.active;
}

EditOutcome selectionMouseMove(EditContext& ctx, int shift, double x, double y) {
    const ViewState& v = ctx.editor.view;
    NoteSelection& sel = ctx.editor.selection;
    if (sel.band.active) {
        // The band takes only what shows.
        sel.band.x1 = std::clamp(x, 0.0, v.ScaleWidth);
        sel.band.y1 = std::clamp(y, 0.0, v.ScaleHeight);
        return overlayChanged();
    }
    SelectionDrag& d = sel.drag;
    if (!d.active || d.notes.empty() || v.ColWidth <= 0)
        return {};
    d.moved = d.moved || !withinClick(v, x - d.x0, y - d.y0);
    const int32_t step = moveStep(ctx.editor.palette, d.notes, (shift & 1) != 0);
    const ShiftLimits limits = limitsOf(ctx.song, d.notes);
    const int32_t thirds = snapWithin((x - d.x0) * kThirdsPerColumn / v.ColWidth, step, limits);
    int rows = d.rows;
    if (const auto row = rowAt(v, y))
        rows = std::clamp(*row - d.pressRow, -limits.rowsUp, limits.rowsDown);
    if (thirds == d.thirds && rows == d.rows)
        return {};
    d.thirds = thirds;
    d.rows = rows;
    return overlayChanged();
}

EditOutcome selectionMouseUp(EditContext& ctx, double x, double y) {
    NoteSelection& sel = ctx.editor.selection;
    if (sel.band.active) {
        sel.band.active = false; // the press stays for a double click
        return finishBand(ctx, sel.band);
    }
    const SelectionDrag d = std::move(sel.drag);
    sel.drag = {};
    if (!d.moved)
        return clickInPlace(ctx, x, y);
    EditOutcome out = overlayChanged();
    out.redraw = true;
    out |= moveSelection(ctx, d.thirds, d.rows);
    stopPreview(ctx); // as every release of the canvas does
    return out;
}

std::optional<EditOutcome> selectionDoubleClick(EditContext& ctx) {
    const NoteEntryState& e = ctx.editor.entry;
    SelectionBand& b = ctx.editor.selection.band;
    if (e.ClickButton != 1 || (e.ClickShift & 2) == 0)
        return std::nullopt;
    b.active = true;
    b.x1 = b.x0;
    b.y1 = b.y0;
    return overlayChanged();
}

std::vector<NoteKey> notesInBand(const Song& song, const ViewState& view, double x0, double y0,
                                 double x1, double y1) {
    std::vector<NoteKey> keys;
    if (!geometryReady(view))
        return keys;
    const double left = std::clamp(std::min(x0, x1), 0.0, view.ScaleWidth);
    const double right = std::clamp(std::max(x0, x1), 0.0, view.ScaleWidth);
    const double top = std::clamp(std::min(y0, y1), 0.0, view.ScaleHeight);
    const double bottom = std::clamp(std::max(y0, y1), 0.0, view.ScaleHeight);
    const NoteGrid& g = song.part.Grid;
    const int32_t lastCol = std::min(view.ViewCol + view.ShownCols, kGridCols - 1);
    const int lastRow = std::min(view.TopRow + 28 * view.StaffZoom, kRows - 1);
    for (int32_t col = view.ViewCol; col <= lastCol; ++col)
        for (int row = view.TopRow; row <= lastRow; ++row) {
            const int32_t v = g(row, col);
            if (!cell::startsNote(v))
                continue;
            const NoteSpan head{col, col + 1, row, cell::inTuplet(v)};
            const auto box = noteBox(view, head);
            if (box && box->headX >= left && box->headX <= right && box->y >= top &&
                box->y <= bottom)
                keys.push_back(keyOf(head));
        }
    return keys;
}

std::optional<NoteSpan> noteUnderPointer(const Song& song, const ViewState& view, double x,
                                         int row) {
    if (!geometryReady(view) || x < 0)
        return std::nullopt;
    const NoteGrid& g = song.part.Grid;
    const int32_t px = nearest(x);
    const int32_t col = px / view.ColWidth + view.ViewCol;
    if (const int32_t v = cellOrEmpty(g, row, col); cell::startsOrSounds(v) && !cell::inTuplet(v))
        return noteCovering(g, row, col);
    const int32_t slot = px / std::max(1, view.ColWidth * 4 / 3);
    const int32_t tcol = view.ViewCol + tupletSlotColumn(slot);
    if (const int32_t v = cellOrEmpty(g, row, tcol); cell::startsOrSounds(v) && cell::inTuplet(v))
        return noteCovering(g, row, tcol);
    return std::nullopt;
}

} // namespace zelk
