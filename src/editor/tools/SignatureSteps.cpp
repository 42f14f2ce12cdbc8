#include "editor/tools/SignatureSteps.h"

#include "editor/UndoSteps.h"
#include "editor/entry/PartChange.h"
#include "editor/lanes/LaneStroke.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "model/MeasureArrays.h"

#include <memory>

namespace zelk {
namespace {

// Runs a drop-down's change and records it when the arrays moved.
template <typename Change> EditOutcome asMeasureStep(EditContext& ctx, Change&& change) {
    finishLaneStroke(ctx); // an open stroke is the older step
    auto step = std::make_shared<MeasureArraysChange>();
    step->before = MeasureArrays::of(ctx.song);
    EditOutcome out = change();
    step->after = MeasureArrays::of(ctx.song);
    if (step->before.sameMeaning(step->after) || ctx.song.undo.InUndo != 0)
        return out;
    UndoRecord r = stepHere(ctx, kUndoMeasureArrays);
    r.arrays = std::move(step);
    recordStep(ctx, std::move(r));
    return out;
}

} // namespace

EditOutcome changeTimeSignature(EditContext& ctx, int listIndex) {
    return asMeasureStep(ctx, [&] {
        EditOutcome out;
        const ActionResult r =
            Combo5_Click(ctx.song, ctx.editor.view, ctx.editor.signatures, listIndex);
        out.message = r.message;
        out.positionChanged = true; // the measure count and with it the scroll bar
        out.redraw = true;
        return out;
    });
}

EditOutcome changeKeyKind(EditContext& ctx, int listIndex) {
    return asMeasureStep(ctx, [&] {
        Combo6_Click(ctx.song, ctx.editor.view, ctx.editor.signatures, listIndex);
        EditOutcome out;
        out.redraw = true;
        return out;
    });
}

EditOutcome changeKeyCount(EditContext& ctx, int listIndex) {
    return asMeasureStep(ctx, [&] {
        Combo7_Click(ctx.song, ctx.editor.view, ctx.editor.signatures, listIndex);
        EditOutcome out;
        out.redraw = true;
        return out;
    });
}

EditOutcome changeTempoOffset(EditContext& ctx, int listIndex) {
    return asMeasureStep(ctx, [&] {
        EditOutcome out;
        out.redraw = Combo2_Click(ctx.song, ctx.editor.palette, listIndex);
        return out;
    });
}

EditOutcome replayMeasureArrays(EditContext& ctx, const UndoRecord& rec, bool undo) {
    EditOutcome out;
    if (rec.part != ctx.song.CurPart) {
        changePart(ctx, rec.part);
        out.partChanged = true;
    }
    (undo ? rec.arrays->before : rec.arrays->after).applyTo(ctx.song);
    ctx.song.Dirty = 1;
    ctx.editor.view.ViewCol = rec.viewCol;
    ctx.editor.view.FirstMeasure = rec.firstMeasure;
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    out.positionChanged = true;
    out.relayout = true;
    return out;
}

} // namespace zelk
