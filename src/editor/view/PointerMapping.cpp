#include "editor/view/PointerMapping.h"

#include "editor/view/Nearest.h"
#include "model/Limits.h"

namespace zelk {

bool geometryReady(const ViewState& view) {
    return view.ColWidth > 0 && view.RowHeight > 0;
}

bool insideCanvas(const ViewState& view, double x, double y) {
    return x >= 0 && x <= view.ScaleWidth && y >= 0 && y <= view.ScaleHeight;
}

std::optional<int> rowAt(const ViewState& view, double y) {
    if (view.RowHeight <= 0)
        return std::nullopt;
    const int row = nearest(y + view.RowHeight / 2) / view.RowHeight + view.TopRow;
    if (row < 0 || row >= kRows)
        return std::nullopt;
    return row;
}

void resolveNormal(ViewState& view, NoteEntryState& entry, int32_t x) {
    view.ClickColWidth = view.ColWidth;
    entry.ClickCol = x / view.ColWidth + view.ViewCol;
    view.TupletBit = 0;
    view.TupletFix = 0;
    view.TupletShift = 0;
}

void resolveTuplet(ViewState& view, NoteEntryState& entry, int32_t x) {
    view.ClickColWidth = view.ColWidth * 4 / 3;
    const int32_t slot = x / view.ClickColWidth;
    entry.ClickCol = slot + view.ViewCol;
    view.TupletFix = slot / 3;
    view.TupletBit = 0x1000;
    // The third slot of a group starts on a column with remainder 2 and also covers the
    // column after it, which starts no slot.
    view.TupletShift = (entry.ClickCol + view.TupletFix + 1) % 4 == 3 ? 1 : 0;
}

void resolveFor(ViewState& view, NoteEntryState& entry, int32_t x, uint8_t tupletMode) {
    if (tupletMode == 1)
        resolveTuplet(view, entry, x);
    else
        resolveNormal(view, entry, x);
}

} // namespace zelk
