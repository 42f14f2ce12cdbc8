#include "editor/lanes/LaneLine.h"

#include "editor/view/Nearest.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

namespace zelk {

namespace {

// The canvas's one-pixel lines, in 26.6 fixed point as the raster engine steps them:
// along the major axis every pixel whose centre lies between the ends (the last one
// not drawn), across it the pixel holding the line there.
struct Fixed {
    int64_t major0, minor0, major1, minor1;
};

// Calls lit(major, minor) for every pixel of the line, in pixel units along each axis.
template <typename Lit> void stepLine(Fixed f, Lit&& lit) {
    if (f.major0 > f.major1) {
        std::swap(f.major0, f.major1);
        std::swap(f.minor0, f.minor1);
    }
    if (f.major0 == f.major1)
        return;
    const int64_t inc = ((f.minor1 - f.minor0) << 16) / (f.major1 - f.major0);
    int64_t minor = f.minor0 << 10;
    const int64_t first = (f.major0 + 32) >> 6, end = (f.major1 + 32) >> 6;
    if (first == end)
        return;
    // Sampled at the pixel centre when the line descends, at its edge when it rises, so
    // that a line and its mirror image light mirrored pixels.
    const int64_t round = inc > 0 ? 32 : 0;
    minor += (((first << 6) + round - f.major0) * inc) >> 6;
    for (int64_t m = first; m < end; ++m, minor += inc)
        lit(m, minor >> 16);
}

// Topmost row >= 0 lit in pixel column `c` by the line (a0, b0) - (a1, b1).
std::optional<int32_t> topmostInColumn(int32_t a0, int32_t b0, int32_t a1, int32_t b1, int32_t c) {
    std::optional<int32_t> top;
    auto consider = [&](int64_t col, int64_t row) {
        if (col == c && row >= 0 && (!top || row < *top))
            top = static_cast<int32_t>(row);
    };
    const int64_t x0 = int64_t{a0} * 64, y0 = int64_t{b0} * 64;
    const int64_t x1 = int64_t{a1} * 64, y1 = int64_t{b1} * 64;
    if (std::abs(x1 - x0) < std::abs(y1 - y0))
        stepLine({y0, x0, y1, x1}, [&](int64_t row, int64_t col) { consider(col, row); });
    else
        stepLine({x0, y0, x1, y1}, consider);
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
