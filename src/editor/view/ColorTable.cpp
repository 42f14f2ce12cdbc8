#include "editor/view/ColorTable.h"

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

Rgb entry(const ColorTable& t, int i) {
    return {t.ColorR[static_cast<size_t>(i)], t.ColorG[static_cast<size_t>(i)],
            t.ColorB[static_cast<size_t>(i)]};
}

// A hue on the colour wheel at full saturation and value: 16 parts, 16 hues spread so that
// neighbouring parts (melody and bass are often 1 and 2) differ most.
Rgb hue(int part) {
    const double h = std::fmod(part * 7.0 / 16.0, 1.0) * 6.0;
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
    case 0:
        r = 1, g = x;
        break;
    case 1:
        r = x, g = 1;
        break;
    case 2:
        g = 1, b = x;
        break;
    case 3:
        g = x, b = 1;
        break;
    case 4:
        r = x, b = 1;
        break;
    default:
        r = 1, b = x;
        break;
    }
    return {static_cast<uint8_t>(std::lround(r * 235)), static_cast<uint8_t>(std::lround(g * 200)),
            static_cast<uint8_t>(std::lround(b * 235))};
}

Rgb mix(Rgb a, Rgb over, double share) {
    auto m = [share](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(std::lround(x * (1 - share) + y * share));
    };
    return {m(a.r, over.r), m(a.g, over.g), m(a.b, over.b)};
}

double lightness(Rgb c) {
    return (0.299 * c.r + 0.587 * c.g + 0.114 * c.b) / 255.0;
}

} // namespace

Rgb paletteColor(const ColorTable& t, uint8_t index) {
    if (index < ColorTable::kEntries)
        return entry(t, index);
    const Rgb canvas = entry(t, 1);
    const bool dark = lightness(canvas) < 0.5;
    if (index >= kGhostColor && index < kGhostColor + 16)
        // Faint on any background: a third of the way from the canvas to the hue.
        return mix(canvas, hue(index - kGhostColor), dark ? 0.45 : 0.35);
    switch (index) {
    case kSelectionColor: // the opposite of the canvas, so it shows around any note colour
        return dark ? Rgb{255, 220, 0} : Rgb{255, 120, 0};
    case kSelectionTint:
        return mix(canvas, dark ? Rgb{255, 220, 0} : Rgb{255, 150, 0}, 0.45);
    case kEntryColumnColor:
        return mix(canvas, Rgb{0, 160, 255}, 0.3);
    case kScoreTextColor:
        return mix(canvas, dark ? Rgb{255, 255, 255} : Rgb{0, 0, 0}, 0.6);
    default:
        return {0, 0, 0};
    }
}

} // namespace zelk
