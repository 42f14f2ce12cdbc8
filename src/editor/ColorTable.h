#pragma once

#include <array>
#include <cstdint>

namespace zelk {

// The 18 colours the window and the canvas are painted with (ColorR, ColorG, ColorB).
// Entries: 0 window background, 1 canvas background, 2 column lines, 3 beat lines,
// 4 staff and measure lines, 5 guide lines, 6..10 notes (double sharp, sharp, plain,
// flat, double flat), 11..15 the same for tuplet notes, 16 lane bars, 17 tempo bars.
struct ColorTable {
    static constexpr int kEntries = 18;
    std::array<uint8_t, kEntries> ColorR{};
    std::array<uint8_t, kEntries> ColorG{};
    std::array<uint8_t, kEntries> ColorB{};
    bool operator==(const ColorTable&) const = default;
};

// The colours the "デフォルト" button of the colour settings restores.
constexpr ColorTable defaultColorTable() {
    return ColorTable{
        {200, 255, 200, 255, 0, 100, 255, 255, 0, 0, 200, 255, 255, 0, 0, 200, 150, 100},
        {200, 255, 200, 150, 0, 180, 200, 0, 0, 0, 200, 200, 0, 0, 0, 200, 150, 150},
        {200, 255, 200, 150, 0, 100, 200, 0, 0, 255, 255, 200, 0, 0, 255, 255, 150, 100},
    };
}

} // namespace zelk
