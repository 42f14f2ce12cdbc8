#include "editor/view/ResizeOutline.h"

#include "editor/view/PointerMapping.h"

#include <algorithm>

namespace zelk {

void appendResizeOutline(const ViewState& view, const NoteEntryState& entry, DrawList& out) {
    if (entry.Grabbed != 1 || view.ColWidth <= 0 || view.RowHeight <= 0)
        return;
    const int b = entry.GrabRow - view.TopRow;
    if (b < 0 || b > 28 * view.StaffZoom)
        return;
    const int32_t newLast = pointedLastColumn(view, entry);
    const auto xOf = [&](int32_t lastCol) {
        return static_cast<float>((lastCol + 1 - view.ViewCol) * view.ColWidth);
    };
    const float x1 = xOf(std::min(entry.GrabCol, newLast));
    const float x2 = xOf(std::max(entry.GrabCol, newLast));
    const int half = view.RowHeight / 3;
    const auto top = static_cast<float>(b * view.RowHeight - half);
    const auto bottom = static_cast<float>(b * view.RowHeight + half);
    out.line(x1, top, x2, top, kBlack, 1);
    out.line(x1, bottom, x2, bottom, kBlack, 1);
    out.line(x1, top, x1, bottom, kBlack, 1);
    out.line(xOf(newLast), top - 30, xOf(newLast), bottom + 30, kBlack, 2);
}

} // namespace zelk
