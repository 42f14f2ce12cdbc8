#pragma once

#include "editor/NoteEntryState.h"
#include "editor/NoteSelection.h"
#include "editor/ViewState.h"

#include <cstdint>
#include <optional>

namespace zelk {

// Pointer positions (twips on the canvas, origin top left) to grid rows and columns, with
// the geometry the last redraw left in the view.

// The view has a geometry to resolve against (a redraw has set column and row sizes).
bool geometryReady(const ViewState& view);
// 0 <= x <= ScaleWidth and 0 <= y <= ScaleHeight.
bool insideCanvas(const ViewState& view, double x, double y);

// Row whose centre line is nearest to y; nothing for a position below row 56 (a canvas
// whose height is not a multiple of the row height has room there).
std::optional<int> rowAt(const ViewState& view, double y);

// Normal interpretation: one display slot per column. x is already rounded.
void resolveNormal(ViewState& view, NoteEntryState& entry, int32_t x);
// Tuplet interpretation: three slots in the room of four columns.
void resolveTuplet(ViewState& view, NoteEntryState& entry, int32_t x);
// The interpretation of the palette's tuplet mode.
void resolveFor(ViewState& view, NoteEntryState& entry, int32_t x, uint8_t tupletMode);

// Column the last resolution points at: its slot's first column.
inline int32_t pointedColumn(const ViewState& view, const NoteEntryState& entry) {
    return entry.ClickCol + view.TupletFix;
}
// Last column of the slot the last resolution points at (a third slot spans two columns).
inline int32_t pointedLastColumn(const ViewState& view, const NoteEntryState& entry) {
    return entry.ClickCol + view.TupletFix + view.TupletShift;
}

// Width (twips) of a column, or of a slot on the tuplet grid (three slots in the room of four
// columns).
inline int32_t slotWidth(const ViewState& view, bool tuplet) {
    return tuplet ? view.ColWidth * 4 / 3 : view.ColWidth;
}

// Left edge (twips) of the column `col`, or of its slot on the tuplet grid.
inline int32_t columnX(const ViewState& view, int32_t col, bool tuplet) {
    if (!tuplet)
        return (col - view.ViewCol) * view.ColWidth;
    return (tupletSlotOf(col) - tupletSlotOf(view.ViewCol)) * slotWidth(view, true);
}

// The column lies among the shown ones.
inline bool columnShown(const ViewState& view, int32_t col) {
    return col >= view.ViewCol && col < view.ViewCol + view.ShownCols;
}

} // namespace zelk
