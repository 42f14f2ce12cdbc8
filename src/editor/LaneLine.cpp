#include "editor/LaneLine.h"

#include "editor/Nearest.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace zelk {

namespace {

// Topmost row >= 0 lit in pixel column `c` by the line (a0, b0) - (a1, b1), both ends drawn.
std::optional<int32_t> topmostInColumn(int32_t a0, int32_t b0, int32_t a1, int32_t b1, int32_t c) {
    const int32_t dx = std::abs(a1 - a0), sx = a0 < a1 ? 1 : -1;
    const int32_t dy = -std::abs(b1 - b0), sy = b0 < b1 ? 1 : -1;
    int32_t err = dx + dy;
    std::optional<int32_t> top;
    for (int32_t a = a0, b = b0;;) {
        if (a == c && b >= 0 && (!top || b < *top))
            top = b;
        if (a == a1 && b == b1)
            break;
        const int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            a += sx;
        }
        if (e2 <= dx) {
            err += dx;
            b += sy;
        }
    }
    return top;
}

} // namespace

int32_t pixelOf(double twips, double twipsPerPixel) {
    return static_cast<int32_t>(std::lround(twips / twipsPerPixel));
}

int32_t lineStep(const ViewState& view, int32_t x0, int32_t y0, double x1, double y1, int32_t xp) {
    const double tpp = view.TwipsPerPixel;
    const auto top = topmostInColumn(pixelOf(x0, tpp), pixelOf(y0, tpp), pixelOf(x1, tpp),
                                     pixelOf(y1, tpp), pixelOf(xp, tpp));
    int32_t first = nearest(view.ScaleHeight);
    // A probe off the canvas reads no pixels.
    if (top && xp >= 0 && xp <= view.ScaleWidth) {
        // The first whole twip that lands in the pixel row.
        const auto y = static_cast<int32_t>(std::ceil((*top - 0.5) * tpp));
        first = std::min(first, std::max(0, y));
    }
    return first - y0;
}

} // namespace zelk
