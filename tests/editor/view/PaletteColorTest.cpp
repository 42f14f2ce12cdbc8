#include "editor/view/ColorTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>

namespace zelk {
namespace {

int distance(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// The derived colours follow the canvas the user chose: ghosts stay faint and tell the parts
// apart on a white and on a dark canvas; the table's own entries are as stored.
TEST(PaletteColorTest, GhostsAreSixteenFaintHuesOnAnyCanvas) {
    for (Rgb canvas : {Rgb{255, 255, 255}, Rgb{30, 30, 40}}) {
        ColorTable t = defaultColorTable();
        t.ColorR[1] = canvas.r;
        t.ColorG[1] = canvas.g;
        t.ColorB[1] = canvas.b;
        std::set<std::tuple<int, int, int>> seen;
        for (uint8_t p = 0; p < 16; ++p) {
            const Rgb g = paletteColor(t, static_cast<uint8_t>(kGhostColor + p));
            seen.insert({g.r, g.g, g.b});
            EXPECT_GT(distance(g, canvas), 40) << "part " << int(p) << " shows";
            EXPECT_LT(distance(g, canvas), 400) << "part " << int(p) << " stays faint";
            const Rgb plainNote = paletteColor(t, 8);
            EXPECT_GT(distance(g, plainNote), 60) << "a ghost is no note of the part";
        }
        EXPECT_EQ(seen.size(), 16u);
        EXPECT_GT(distance(paletteColor(t, kSelectionColor), canvas), 200);
        EXPECT_EQ(paletteColor(t, 4), (Rgb{t.ColorR[4], t.ColorG[4], t.ColorB[4]}));
    }
}

} // namespace
} // namespace zelk
