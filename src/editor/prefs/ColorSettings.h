#pragma once

#include "editor/view/ColorTable.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace zelk {

// The colour settings window's rules ("色設定"). Its drop-downs Combo1 (red), Combo2
// (green) and Combo3 (blue) of row i edit entry i; list index = component value.

enum ColorComponent : uint8_t { ColorRed = 0, ColorGreen = 1, ColorBlue = 2 };

// ColorsLoaded: 0 while the window presets its drop-downs, then 1; only then do the
// drop-downs change the table.
struct ColorSettingsState {
    uint8_t ColorsLoaded = 0;
};

// A drop-down's click: sets the component of `entry` to `listIndex`. Red 0 for the bar
// colours 16 and 17 is stored as 1 (the drop-down still shows 0). Returns whether the
// window must recolour and redraw (the table is locked while presetting).
bool colorComboClick(ColorTable& table, const ColorSettingsState& state, ColorComponent c,
                     int entry, int listIndex);

// The component the drop-down of `entry` shows when the window opens.
uint8_t colorComponent(const ColorTable& table, ColorComponent c, int entry);

// One selection of the "デフォルト" button; it steps through all 54 in entry order
// (red, green, blue of entry 0, then of entry 1, ...).
struct ColorSelection {
    int entry;
    ColorComponent component;
    int listIndex;
};
std::array<ColorSelection, 3 * ColorTable::kEntries> defaultColorSelections();

// The window's rows: where each entry is shown and with which caption.
enum ColorGroup : uint8_t { GroupWindow = 0, GroupScore = 1, GroupNotes = 2, GroupTuplets = 3 };
struct ColorRow {
    int entry;
    ColorGroup group;
    std::string_view caption;
};
inline constexpr std::array<ColorRow, ColorTable::kEntries> kColorRows = {{
    {0, GroupWindow, "背景"},
    {16, GroupWindow, "エフェクト棒１"},
    {17, GroupWindow, "エフェクト棒２"},
    {1, GroupScore, "背景"},
    {2, GroupScore, "縦線"},
    {3, GroupScore, "区切り縦線"},
    {4, GroupScore, "横線"},
    {5, GroupScore, "区切り横線"},
    {6, GroupNotes, "ダブルシャープ"},
    {7, GroupNotes, "シャープ"},
    {8, GroupNotes, "標準"},
    {9, GroupNotes, "フラット"},
    {10, GroupNotes, "ダブルフラット"},
    {11, GroupTuplets, "ダブルシャープ"},
    {12, GroupTuplets, "シャープ"},
    {13, GroupTuplets, "標準"},
    {14, GroupTuplets, "フラット"},
    {15, GroupTuplets, "ダブルフラット"},
}};

} // namespace zelk
