#include "editor/view/SelectionDraw.h"

#include "editor/view/ColorTable.h"
#include "editor/view/PointerMapping.h"

#include <algorithm>

namespace zelk {
namespace {

bool showsNotes(const Song& song, const NoteSelection& sel) {
    return sel.part == song.CurPart && !sel.empty();
}

// Calls fn with the box of every selected note that shows.
template <typename Fn>
void forEachShown(const Song& song, const ViewState& view, const NoteSelection& sel, Fn&& fn) {
    if (!showsNotes(song, sel) || view.ColWidth <= 0 || view.RowHeight <= 0)
        return;
    const auto width = static_cast<float>(view.ScaleWidth);
    for (const NoteKey& k : sel.notes) {
        const auto note = noteStartingAt(song.part.Grid, k.row, k.head);
        if (!note)
            continue; // an edit outside the selection took it away
        if (const auto box = noteBox(view, *note); box && box->right > 0 && box->left < width)
            fn(*box);
    }
}

} // namespace

std::optional<NoteBox> noteBox(const ViewState& view, const NoteSpan& note) {
    const int b = note.row - view.TopRow;
    if (b < 0 || b > 28 * view.StaffZoom)
        return std::nullopt;
    const int32_t slot = slotWidth(view, note.tuplet);
    const int32_t x0 = columnX(view, note.head, note.tuplet);
    const int32_t y = b * view.RowHeight;
    const int32_t half = view.RowHeight / 3;
    return NoteBox{static_cast<float>(x0 + 30),
                   static_cast<float>(y - half),
                   static_cast<float>(columnX(view, note.end, note.tuplet)),
                   static_cast<float>(y + half),
                   static_cast<float>(x0 + slot / 2),
                   static_cast<float>(y)};
}

void drawSelectionUnder(const Song& song, const ViewState& view, const NoteSelection& sel,
                        DrawList& out) {
    // Half a row each way: up to the gap before the next row's notes.
    const float reach = static_cast<float>(view.RowHeight) / 2;
    forEachShown(song, view, sel, [&](const NoteBox& b) {
        out.box(b.left - 30, b.y - reach, b.right, b.y + reach, kSelectionTint);
    });
}

void drawSelectionOver(const Song& song, const ViewState& view, const NoteSelection& sel,
                       DrawList& out) {
    forEachShown(song, view, sel, [&](const NoteBox& b) {
        out.frame(b.left, b.top, b.right, b.bottom, kSelectionColor, 2);
    });
}

void drawSelectionGesture(const ViewState& view, const NoteSelection& sel, DrawList& out) {
    out.clear();
    if (sel.band.active) {
        const SelectionBand& b = sel.band;
        out.frame(static_cast<float>(std::min(b.x0, b.x1)),
                  static_cast<float>(std::min(b.y0, b.y1)),
                  static_cast<float>(std::max(b.x0, b.x1)),
                  static_cast<float>(std::max(b.y0, b.y1)), kSelectionColor, 1);
    }
    const SelectionDrag& d = sel.drag;
    if (!d.active || (d.thirds == 0 && d.rows == 0) || view.ColWidth <= 0 || view.RowHeight <= 0)
        return;
    const auto width = static_cast<float>(view.ScaleWidth);
    for (const NoteSpan& n : d.notes) {
        const auto box = noteBox(view, n.shifted(d.thirds, d.rows));
        if (box && box->right > 0 && box->left < width)
            out.frame(box->left, box->top, box->right, box->bottom, kSelectionColor, 2);
    }
}

} // namespace zelk
