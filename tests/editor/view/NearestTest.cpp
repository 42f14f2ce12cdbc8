#include "editor/view/Nearest.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

TEST(Nearest, HalvesGoToTheEvenNeighbour) {
    // x -> nearest(x)
    const std::pair<double, int> table[] = {
        {0.5, 0},       {1.5, 2},     {2.5, 2},   {3.5, 4}, // halves: even neighbour
        {-0.5, 0},      {-1.5, -2},   {-2.5, -2},           // also below zero
        {2.4, 2},       {2.6, 3},     {-2.6, -3}, {7.0, 7}, // everything else: nearest
        {8413.5, 8414}, {100.5, 100},                       // canvas sizes in twips
    };
    for (const auto& [x, n] : table)
        EXPECT_EQ(nearest(x), n) << x;
}

} // namespace
} // namespace zelk
