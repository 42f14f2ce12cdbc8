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

// Colours beyond the table, derived from it so they follow the colour window: the ghost
// notes of parts 1..16 (a light tint of each part's own hue over the canvas background),
// the selection, the step-entry column and the small texts on the score (measure numbers,
// the pitch ruler). A draw list names them by index like the table's own entries.
inline constexpr uint8_t kGhostColor = 18;     // 18..33: the ghost notes of part p at 18 + p
inline constexpr uint8_t kSelectionColor = 34; // outline of selected notes
inline constexpr uint8_t kSelectionTint = 35;  // fill of selected notes
inline constexpr uint8_t kEntryColumnColor = 36;
inline constexpr uint8_t kScoreTextColor = 37; // measure numbers and pitch names
inline constexpr int kPaletteEntries = 38;

// The colour of palette index `index` (0..17 the table's, 18.. derived; black otherwise).
Rgb paletteColor(const ColorTable& table, uint8_t index);

// The colours the "デフォルト" button of the colour settings restores.
constexpr ColorTable defaultColorTable() {
    return toColorTable(kDefaultColorTable);
}

} // namespace zelk
