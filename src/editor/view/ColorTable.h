#pragma once

#include "storage/Defaults.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelk {

// The 18 colours the window and the canvas are painted with (ColorR, ColorG, ColorB).
// Entries: 0 window background, 1 canvas background, 2 column lines, 3 beat lines,
// 4 staff and measure lines, 5 guide lines, 6..10 notes (double sharp, sharp, plain,
// flat, double flat), 11..15 the same for tuplet notes, 16 lane bars, 17 tempo bars.
struct ColorTable {
    static constexpr int kEntries = kColorEntries;
    std::array<uint8_t, kEntries> ColorR{};
    std::array<uint8_t, kEntries> ColorG{};
    std::array<uint8_t, kEntries> ColorB{};
    bool operator==(const ColorTable&) const = default;
};

// The colour table from the settings file's triples, and back.
constexpr ColorTable toColorTable(const std::array<Rgb, kColorEntries>& rgb) {
    ColorTable t;
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        t.ColorR[i] = rgb[i].r;
        t.ColorG[i] = rgb[i].g;
        t.ColorB[i] = rgb[i].b;
    }
    return t;
}

constexpr std::array<Rgb, kColorEntries> toRgb(const ColorTable& t) {
    std::array<Rgb, kColorEntries> rgb{};
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = {t.ColorR[i], t.ColorG[i], t.ColorB[i]};
    return rgb;
}

// The colours the "デフォルト" button of the colour settings restores.
constexpr ColorTable defaultColorTable() {
    return toColorTable(kDefaultColorTable);
}

} // namespace zelk
