#include "editor/tools/UndoRedo.h"

#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteEditStep.h"
#include "editor/entry/PartChange.h"
#include "editor/lanes/LaneStroke.h"
#include "editor/tools/SignatureSteps.h"
#include "editor/view/ViewPosition.h"
#include "storage/Snapshots.h"

namespace zelk {

namespace {

// InUndo for the length of one undo or redo, however it ends.
class ReplayScope {
public:
    ReplayScope(UndoRing& ring, uint8_t mode) : ring_(ring) { ring_.InUndo = mode; }
    ~ReplayScope() { ring_.InUndo = 0; }
    ReplayScope(const ReplayScope&) = delete;
    ReplayScope& operator=(const ReplayScope&) = delete;

private:
    UndoRing& ring_;
};

// Shows the recorded part and measure, as the part selector and the scroll bar would.
EditOutcome goToRecord(EditContext& ctx, const UndoRecord& rec) {
    EditOutcome out;
    if (rec.part != ctx.song.CurPart) {
        changePart(ctx, rec.part);
        out.partChanged = true;
        out.relayout = true;
    }
    ctx.editor.view.ViewCol = rec.viewCol;
    ctx.editor.view.FirstMeasure = rec.firstMeasure;
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    out.positionChanged = true;
    out.redraw = true;
    return out;
}

// Puts the song back to snapshot record `rec` (its view first, then the whole song).
EditOutcome loadSnapshot(EditContext& ctx, const UndoRecord& rec) {
    EditOutcome out = goToRecord(ctx, rec);
    restoreSnapshot(ctx.song, ctx.folder, ctx.compressor, ctx.out, rec.kind);
    // The snapshot may hold fewer measures than the view showed.
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    out.songReplaced = true;
    out.relayout = true;
    return out;
}

// The palette after every undo and redo: the quarter note of the (replayed) tuplet mode.
void resetLengthPalette(EditContext& ctx, EditOutcome& out) {
    Command1_Click(ctx.editor.palette, 3);
    out.paletteChanged = true;
    out.redraw = true;
}

// Steps of one record; a snapshot step is a pair of records.
bool inMemoryStep(int32_t kind) {
    return kind == kUndoClick || kind == kUndoLaneStroke || kind == kUndoMeasureArrays ||
           kind == kUndoNoteEdit;
}

bool redoAvailable(const UndoRing& ring) {
    const int k = UndoRing::next(ring.UndoPos);
    const int32_t kind = ring.at(k).kind;
    if (kind == -1)
        return false;
    return inMemoryStep(kind) || ring.at(UndoRing::next(k)).kind != -1;
}

} // namespace

bool undoAvailable(const UndoRing& ring) {
    const int32_t kind = ring.at(ring.UndoPos).kind;
    if (inMemoryStep(kind))
        return true;
    return kind > 0 && ring.at(UndoRing::prev(ring.UndoPos)).kind > 0;
}

// Replays the lane stroke of `rec` where it was drawn.
EditOutcome replayStroke(EditContext& ctx, const UndoRecord& rec, bool undo) {
    EditOutcome out = goToRecord(ctx, rec);
    replayLaneStroke(ctx.song, *rec.stroke, undo);
    return out;
}

namespace {

// Replays an edit of many notes of `rec` where it was made.
EditOutcome replayNotes(EditContext& ctx, const UndoRecord& rec, bool undo) {
    EditOutcome out = goToRecord(ctx, rec);
    replayNoteEdit(ctx, *rec.notes, undo);
    return out;
}

// Undo and redo change notes the selection named, and may show another part.
void clearSelectionForReplay(EditContext& ctx, EditOutcome& out) {
    ctx.editor.selection.clear();
    out.overlayChanged = true;
}

// One record back (a snapshot pair counts as one).
EditOutcome undoOne(EditContext& ctx, const UndoRecord& rec) {
    UndoRing& ring = ctx.song.undo;
    EditOutcome out;
    clearSelectionForReplay(ctx, out);
    if (rec.kind == kUndoClick) {
        out |= goToRecord(ctx, rec);
        ring.UndoPos = static_cast<uint8_t>(UndoRing::prev(ring.UndoPos));
        out |= replayClick(ctx, rec);
    } else if (rec.kind == kUndoLaneStroke) {
        out |= replayStroke(ctx, rec, true);
        ring.UndoPos = static_cast<uint8_t>(UndoRing::prev(ring.UndoPos));
    } else if (rec.kind == kUndoMeasureArrays) {
        out |= replayMeasureArrays(ctx, rec, true);
        ring.UndoPos = static_cast<uint8_t>(UndoRing::prev(ring.UndoPos));
    } else if (rec.kind == kUndoNoteEdit) {
        out |= replayNotes(ctx, rec, true);
        ring.UndoPos = static_cast<uint8_t>(UndoRing::prev(ring.UndoPos));
    } else {
        const int first = UndoRing::prev(ring.UndoPos);
        out |= loadSnapshot(ctx, ring.at(first));
        ring.UndoPos = static_cast<uint8_t>(UndoRing::prev(first));
    }
    return out;
}

// One record forward from UndoPos.
EditOutcome redoOne(EditContext& ctx) {
    UndoRing& ring = ctx.song.undo;
    const int k = UndoRing::next(ring.UndoPos);
    const UndoRecord rec = ring.at(k);
    EditOutcome out;
    if (rec.kind == kUndoClick) {
        out |= goToRecord(ctx, rec);
        ring.UndoPos = static_cast<uint8_t>(k);
        out |= replayClick(ctx, rec);
    } else if (rec.kind == kUndoLaneStroke) {
        out |= replayStroke(ctx, rec, false);
        ring.UndoPos = static_cast<uint8_t>(k);
    } else if (rec.kind == kUndoMeasureArrays) {
        out |= replayMeasureArrays(ctx, rec, false);
        ring.UndoPos = static_cast<uint8_t>(k);
    } else if (rec.kind == kUndoNoteEdit) {
        out |= replayNotes(ctx, rec, false);
        ring.UndoPos = static_cast<uint8_t>(k);
    } else {
        const int second = UndoRing::next(k);
        out |= loadSnapshot(ctx, ring.at(second));
        ring.UndoPos = static_cast<uint8_t>(second);
    }
    return out;
}

} // namespace

EditOutcome Mundo_Click(EditContext& ctx) {
    UndoRing& ring = ctx.song.undo;
    UndoMenus& menus = ctx.editor.menus;
    finishLaneStroke(ctx);
    if (!menus.Mundo)
        return {};
    if (!undoAvailable(ring)) {
        menus.Mundo = false;
        return {};
    }
    ReplayScope scope(ring, 1);
    EditOutcome out;
    // Records joined to the one before them (the notes of one chord) go back together.
    for (bool more = true; more;) {
        const UndoRecord rec = ring.at(ring.UndoPos);
        out |= undoOne(ctx, rec);
        more = rec.joinsPrevious && undoAvailable(ring);
    }
    menus.Mundo = undoAvailable(ring);
    menus.Mrido = true;
    resetLengthPalette(ctx, out);
    return out;
}

EditOutcome Mrido_Click(EditContext& ctx) {
    UndoRing& ring = ctx.song.undo;
    UndoMenus& menus = ctx.editor.menus;
    finishLaneStroke(ctx);
    if (!menus.Mrido)
        return {};
    if (!redoAvailable(ring)) {
        menus.Mrido = false;
        return {};
    }
    ReplayScope scope(ring, 2);
    EditOutcome out;
    clearSelectionForReplay(ctx, out);
    out |= redoOne(ctx);
    while (redoAvailable(ring) && ring.at(UndoRing::next(ring.UndoPos)).joinsPrevious)
        out |= redoOne(ctx);
    menus.Mundo = true;
    menus.Mrido = redoAvailable(ring);
    resetLengthPalette(ctx, out);
    return out;
}

} // namespace zelk
