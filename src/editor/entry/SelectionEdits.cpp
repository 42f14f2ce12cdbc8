#include "editor/entry/SelectionEdits.h"

#include "editor/KeyAssign.h"
#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteCells.h"
#include "editor/entry/NotePlacement.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>
#include <numeric>

namespace zelk {
namespace {

bool hasSelection(const EditContext& ctx) {
    const NoteSelection& s = ctx.editor.selection;
    return s.part == ctx.song.CurPart && !s.empty();
}

EditOutcome redrawn() {
    EditOutcome out;
    out.redraw = true;
    return out;
}

// The earliest head of the notes, as a time.
int32_t firstTime(const std::vector<NoteSpan>& notes) {
    int32_t t = markTime(notes.front().head, notes.front().tuplet);
    for (const NoteSpan& n : notes)
        t = std::min(t, markTime(n.head, n.tuplet));
    return t;
}

int32_t unitOf(const std::vector<NoteSpan>& notes) {
    const bool tuplet = std::any_of(notes.begin(), notes.end(), [](auto& n) { return n.tuplet; });
    const bool plain = std::any_of(notes.begin(), notes.end(), [](auto& n) { return !n.tuplet; });
    return shiftUnit(plain, tuplet);
}

std::vector<CarriedNote> carryAll(const CurrentPart& part, const std::vector<NoteSpan>& notes) {
    std::vector<CarriedNote> carried;
    carried.reserve(notes.size());
    for (const NoteSpan& n : notes)
        carried.push_back(carry(part, n));
    return carried;
}

// Where a paste puts the clipboard's first note: the column (slot) under the pointer, or
// the first shown column, as a time.
int32_t pointerTime(const EditContext& ctx, std::optional<double> pointerX) {
    const ViewState& v = ctx.editor.view;
    if (!pointerX || v.ColWidth <= 0)
        return markTime(v.ViewCol, false);
    const bool tuplet = ctx.editor.palette.TupletMode == 1;
    const int32_t slot = std::max(0, nearest(*pointerX)) / std::max(1, slotWidth(v, tuplet));
    if (tuplet)
        return kThirdsPerSlot * (tupletSlotOf(v.ViewCol) + slot);
    return kThirdsPerColumn * (v.ViewCol + slot);
}

// The latest time at or before `t` that keeps every clipboard note on its grid (never
// before the song's start).
int32_t snapPaste(const NoteClipboard& clip, int32_t t) {
    const int32_t u = clip.unit;
    int32_t at = t - (((t - clip.anchor) % u) + u) % u;
    while (at < 0)
        at += u;
    return at;
}

} // namespace

std::vector<NoteSpan> selectedNotes(const Song& song, const NoteSelection& selection) {
    std::vector<NoteSpan> notes;
    if (selection.part != song.CurPart)
        return notes;
    notes.reserve(selection.notes.size());
    for (const NoteKey& k : selection.notes)
        if (auto n = noteStartingAt(song.part.Grid, k.row, k.head))
            notes.push_back(*n);
    return notes;
}

EditOutcome selectAllNotes(EditContext& ctx) {
    const NoteGrid& g = ctx.song.part.Grid;
    std::vector<NoteKey> keys;
    const int32_t last = std::min(ctx.song.part.PartLen, kGridCols - 1);
    for (int32_t col = 0; col <= last; ++col)
        for (int row = 0; row < kRows; ++row)
            if (cell::startsNote(g(row, col)))
                keys.push_back({col, row});
    ctx.editor.selection.set(ctx.song.CurPart, std::move(keys));
    return redrawn();
}

EditOutcome clearSelection(EditContext& ctx) {
    const bool had = !ctx.editor.selection.empty();
    ctx.editor.selection.clear();
    return had ? redrawn() : EditOutcome{};
}

EditOutcome deleteSelection(EditContext& ctx) {
    const std::vector<NoteSpan> notes = selectedNotes(ctx.song, ctx.editor.selection);
    ctx.editor.selection.clear();
    if (notes.empty())
        return redrawn();
    return replaceNotes(ctx, notes, {}, false);
}

EditOutcome copySelection(EditContext& ctx) {
    const std::vector<NoteSpan> notes = selectedNotes(ctx.song, ctx.editor.selection);
    if (notes.empty())
        return {};
    NoteClipboard& clip = ctx.editor.clipboard;
    clip.notes = carryAll(ctx.song.part, notes);
    clip.anchor = firstTime(notes);
    clip.unit = unitOf(notes);
    return {};
}

EditOutcome cutSelection(EditContext& ctx) {
    copySelection(ctx);
    return deleteSelection(ctx);
}

EditOutcome pasteNotes(EditContext& ctx, std::optional<double> pointerX) {
    const NoteClipboard& clip = ctx.editor.clipboard;
    if (clip.empty())
        return {};
    const int32_t shift = snapPaste(clip, pointerTime(ctx, pointerX)) - clip.anchor;
    std::vector<CarriedNote> placed = clip.notes;
    for (CarriedNote& n : placed)
        n.span = n.span.shifted(shift, 0);
    return replaceNotes(ctx, {}, std::move(placed), true);
}

EditOutcome moveSelection(EditContext& ctx, int32_t thirds, int rows) {
    const std::vector<NoteSpan> notes = selectedNotes(ctx.song, ctx.editor.selection);
    if (notes.empty() || (thirds == 0 && rows == 0))
        return {};
    EditOutcome out;
    for (const NoteSpan& n : notes) {
        if (markTime(n.head, n.tuplet) + thirds < 0) {
            out.message = kNoteBeforeStart;
            return out;
        }
        if (!n.fitsShift(thirds))
            return out; // off the notes' grid: no move the palette offers
    }
    std::vector<CarriedNote> placed = carryAll(ctx.song.part, notes);
    for (CarriedNote& n : placed)
        n.span = n.span.shifted(thirds, rows);
    return replaceNotes(ctx, notes, std::move(placed), thirds != 0);
}

int32_t moveStep(const Palette& palette, const std::vector<NoteSpan>& notes, bool single) {
    const bool tuplet = palette.TupletMode == 1;
    const int32_t len = single ? 1 : std::max(1, palette.NoteLen);
    const int32_t step = len * thirdsPerStep(tuplet);
    return notes.empty() ? step : std::lcm(step, unitOf(notes));
}

namespace {

// Notes moved by keys out of the shown columns take the view along: to the measure of the
// note that left last, so that the selection comes into the view at its near edge.
void keepInSight(EditContext& ctx, bool movedRight, EditOutcome& out) {
    const std::vector<NoteKey>& keys = ctx.editor.selection.notes;
    const ViewState& v = ctx.editor.view;
    const auto shown = [&v](const NoteKey& k) { return columnShown(v, k.head); };
    if (keys.empty() || std::any_of(keys.begin(), keys.end(), shown))
        return;
    const int32_t near = movedRight ? keys.front().head : keys.back().head;
    if (showColumn(ctx.song, ctx.editor.view, ctx.editor.signatures, near))
        out.positionChanged = out.redraw = true;
}

} // namespace

std::optional<EditOutcome> selectionKey(EditContext& ctx, int code, int shift) {
    if (!hasSelection(ctx) || ctx.editor.palette.InputScreen != ScreenScore)
        return std::nullopt;
    if ((code == kVkLeft || code == kVkRight) && (shift == 0 || shift == 1)) {
        const auto notes = selectedNotes(ctx.song, ctx.editor.selection);
        const int32_t step = moveStep(ctx.editor.palette, notes, shift == 1);
        EditOutcome out = moveSelection(ctx, code == kVkLeft ? -step : step, 0);
        keepInSight(ctx, code == kVkRight, out);
        return out;
    }
    if ((code == kVkUp || code == kVkDown) && (shift == 2 || shift == 3)) {
        // Up is higher: a lower row. An octave is 7 steps, or 12 keys of a rhythm part.
        const int octave = usesRhythmKeys(ctx.song, ctx.song.CurPart) ? 12 : 7;
        const int rows = shift == 3 ? octave : 1;
        return moveSelection(ctx, 0, code == kVkUp ? -rows : rows);
    }
    return std::nullopt;
}

} // namespace zelk
