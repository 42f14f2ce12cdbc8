#pragma once

#include "editor/view/DrawList.h"

#include <vector>

namespace zelk::test {

// Picks the primitives of one shape out of a draw list, keeping their order.
inline std::vector<DrawItem> verticalLines(const DrawList& l) {
    std::vector<DrawItem> r;
    for (const DrawItem& d : l.items)
        if (d.kind == DrawKind::Line && d.x1 == d.x2)
            r.push_back(d);
    return r;
}

inline std::vector<DrawItem> horizontalLines(const DrawList& l) {
    std::vector<DrawItem> r;
    for (const DrawItem& d : l.items)
        if (d.kind == DrawKind::Line && d.y1 == d.y2)
            r.push_back(d);
    return r;
}

inline std::vector<DrawItem> ofKind(const DrawList& l, DrawKind k) {
    std::vector<DrawItem> r;
    for (const DrawItem& d : l.items)
        if (d.kind == k)
            r.push_back(d);
    return r;
}

inline std::vector<DrawItem> boxes(const DrawList& l) {
    return ofKind(l, DrawKind::Box);
}
inline std::vector<DrawItem> dots(const DrawList& l) {
    return ofKind(l, DrawKind::Dot);
}

// Index of the first primitive of a kind, or -1.
inline int firstIndexOf(const DrawList& l, DrawKind k) {
    for (size_t i = 0; i < l.items.size(); ++i)
        if (l.items[i].kind == k)
            return static_cast<int>(i);
    return -1;
}

} // namespace zelk::test
