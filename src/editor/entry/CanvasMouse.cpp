#include "editor/entry/CanvasMouse.h"

#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteCells.h"
#include "editor/entry/NoteResize.h"
#include "editor/entry/SelectionMouse.h"
#include "editor/lanes/LaneMouse.h"
#include "editor/lanes/LaneStroke.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "model/Cell.h"

namespace zelk {

namespace {

// Holds the end of the note whose last sounding column is `last`; the palette follows
// the note's kind so the drag resolves the pointer as the note lies.
EditOutcome grab(EditContext& ctx, int32_t last, uint8_t tupletMode) {
    NoteEntryState& e = ctx.editor.entry;
    e.GrabCol = last;
    e.GrabRow = e.ClickRow;
    e.Grabbed = 1;
    e.MousePointer = PointerSizeWE;
    EditOutcome out;
    if (ctx.editor.palette.TupletMode != tupletMode) {
        Command5_Click(ctx.editor.palette);
        out.paletteChanged = true;
    }
    out.relayout = true;
    return out;
}

bool plainEndAfter(const EditContext& ctx, int32_t col) {
    return cell::isPlainEnd(cellOrEmpty(ctx.song.part.Grid, ctx.editor.entry.ClickRow, col + 1));
}

bool tupletEndAfter(const EditContext& ctx, int32_t col) {
    return cell::isTupletEnd(cellOrEmpty(ctx.song.part.Grid, ctx.editor.entry.ClickRow, col + 1));
}

// The pointer shape over the hovered place: the resize pointer over a note's last slot,
// read in both interpretations. Leaves the tuplet interpretation resolved.
uint8_t hoverPointer(EditContext& ctx, int32_t x) {
    ViewState& v = ctx.editor.view;
    NoteEntryState& e = ctx.editor.entry;
    const uint8_t beatCols = ctx.song.BeatCols;
    resolveNormal(v, e, x);
    v.BeatStep = beatCols;
    bool overEnd = plainEndAfter(ctx, e.ClickCol);
    resolveTuplet(v, e, x);
    v.BeatStep = static_cast<uint8_t>(beatCols * 3 / 4);
    overEnd = overEnd || tupletEndAfter(ctx, pointedLastColumn(v, e));
    return overEnd ? PointerSizeWE : PointerDefault;
}

} // namespace

EditOutcome Picture1_MouseDown(EditContext& ctx, int button, int shift, double x, double y) {
    const ViewState& v = ctx.editor.view;
    if (!geometryReady(v) || !insideCanvas(v, x, y))
        return {};
    const auto row = rowAt(v, y);
    NoteEntryState& e = ctx.editor.entry;
    if (ctx.editor.palette.InputScreen != ScreenScore) {
        e.ClickButton = static_cast<uint8_t>(button);
        e.ClickShift = static_cast<uint8_t>(shift);
        e.DownX = nearest(x);
        return laneMouseDown(ctx, button, x, y);
    }
    SelectionPress selection = selectionMouseDown(ctx, button, shift, x, y);
    if (selection.handled || !row)
        return selection.outcome;
    e.ClickButton = static_cast<uint8_t>(button);
    e.ClickShift = static_cast<uint8_t>(shift);
    e.DownX = nearest(x);
    e.ClickRow = static_cast<uint8_t>(*row);
    EditOutcome out = HitTestPress(ctx);
    out |= selection.outcome;
    return out;
}

EditOutcome HitTestPress(EditContext& ctx) {
    if (ctx.editor.palette.InputScreen != ScreenScore || !geometryReady(ctx.editor.view))
        return {};
    ViewState& v = ctx.editor.view;
    NoteEntryState& e = ctx.editor.entry;
    resolveNormal(v, e, e.DownX);
    if (plainEndAfter(ctx, e.ClickCol))
        return grab(ctx, e.ClickCol, 0);
    const int32_t pressed = cellOrEmpty(ctx.song.part.Grid, e.ClickRow, e.ClickCol);
    const bool tupletCell = cell::inTuplet(pressed);
    if (tupletCell || !cell::startsOrSounds(pressed)) {
        resolveTuplet(v, e, e.DownX);
        if (tupletEndAfter(ctx, pointedLastColumn(v, e)))
            return grab(ctx, pointedLastColumn(v, e), 1);
        resolveFor(v, e, e.DownX, ctx.editor.palette.TupletMode);
    }
    return CommitClick(ctx);
}

EditOutcome Picture1_MouseMove(EditContext& ctx, int button, int shift, double x, double y) {
    ViewState& v = ctx.editor.view;
    if (selectionGestureRuns(ctx))
        return selectionMouseMove(ctx, shift, x, y);
    // The rubber band follows the pointer out of the canvas too: the line written on
    // release runs to where the pointer is, so the band shows that.
    if (geometryReady(v) && ctx.editor.lanes.Line1.visible && button == 2)
        return laneMouseMove(ctx, button, x, y);
    if (!geometryReady(v) || !insideCanvas(v, x, y) || shift == 1)
        return {};
    if (v.LaneScale > 0 && nearest(y) / v.LaneScale == 128)
        return {};
    if (ctx.editor.palette.InputScreen != ScreenScore || ctx.editor.lanes.Line1.visible)
        return laneMouseMove(ctx, button, x, y);
    const auto row = rowAt(v, y);
    if (!row)
        return {};
    NoteEntryState& e = ctx.editor.entry;
    e.ClickRow = static_cast<uint8_t>(*row);
    const int32_t px = nearest(x);
    e.MousePointer = hoverPointer(ctx, px);
    resolveFor(v, e, px, ctx.editor.palette.TupletMode);
    v.BeatStep = ctx.editor.palette.TupletMode == 1
                     ? static_cast<uint8_t>(ctx.song.BeatCols * 3 / 4)
                     : ctx.song.BeatCols;
    EditOutcome out;
    if (e.Grabbed == 1) {
        e.MousePointer = PointerSizeWE;
        out.redraw = true; // the outline of the new end follows the pointer
    }
    if (button == 2 && e.ClickRow != e.AuditionRow) {
        stopPreview(ctx);
        auditionRow(ctx, e.ClickRow);
    }
    return out;
}

EditOutcome Picture1_MouseUp(EditContext& ctx, int, int, double x, double y) {
    if (selectionGestureRuns(ctx))
        return selectionMouseUp(ctx, x, y);
    NoteEntryState& e = ctx.editor.entry;
    EditOutcome out;
    if (ctx.editor.lanes.Line1.visible) {
        const LineRelease line = commitLaneLine(ctx, x, y);
        if (line.stopped)
            return line.outcome;
        out |= line.outcome;
    }
    finishLaneStroke(ctx);
    if (e.Grabbed == 1) {
        out |= resizeGrabbedNote(ctx);
        out.redraw = true;
        ctx.song.Dirty = 1;
    }
    e.Grabbed = 0;
    stopPreview(ctx);
    return out;
}

EditOutcome Picture1_DblClick(EditContext& ctx) {
    if (ctx.editor.palette.InputScreen == ScreenScore)
        if (auto band = selectionDoubleClick(ctx))
            return *band;
    return HitTestPress(ctx);
}

} // namespace zelk
