#pragma once

#include "editor/ViewState.h"

#include <cstdint>

namespace zelk {

// The step of a right-drag line per column. The segment from (x0, y0) to (x1, y1)
// (twips) is rasterised the way the canvas paints a one-pixel line (ends rounded to
// whole pixels, then the raster engine's stepping). In the pixel column of the
// probe twip xp the topmost lit pixel is found; y1' is the first twip row from the top
// that shows it, or nearest(ScaleHeight) when the column has none. The step is y1' - y0.
int32_t lineStep(const ViewState& view, int32_t x0, int32_t y0, double x1, double y1, int32_t xp);

// The pixel a twip coordinate is painted at (as the canvas paints its draw list).
int32_t pixelOf(double twips, double twipsPerPixel);

} // namespace zelk
