#include "editor/prefs/ColorSettings.h"

#include <stdexcept>

namespace zelk {

namespace {

template <typename Table> auto& componentArray(Table& t, ColorComponent c) {
    switch (c) {
    case ColorRed:
        return t.ColorR;
    case ColorGreen:
        return t.ColorG;
    default:
        return t.ColorB;
    }
}

size_t checkedEntry(int entry) {
    if (entry < 0 || entry >= ColorTable::kEntries)
        throw std::out_of_range("colour entry outside 0..17");
    return static_cast<size_t>(entry);
}

} // namespace

bool colorComboClick(ColorTable& table, const ColorSettingsState& state, ColorComponent c,
                     int entry, int listIndex) {
    if (state.ColorsLoaded != 1)
        return false;
    const size_t e = checkedEntry(entry);
    if (listIndex < 0 || listIndex > 255)
        return false;
    auto value = static_cast<uint8_t>(listIndex);
    // A bar never paints pure black: black is what the lane line's step looks for.
    if (c == ColorRed && (entry == 16 || entry == 17) && value == 0)
        value = 1;
    componentArray(table, c)[e] = value;
    return true;
}

uint8_t colorComponent(const ColorTable& table, ColorComponent c, int entry) {
    return componentArray(table, c)[checkedEntry(entry)];
}

std::array<ColorSelection, 3 * ColorTable::kEntries> defaultColorSelections() {
    const ColorTable d = defaultColorTable();
    std::array<ColorSelection, 3 * ColorTable::kEntries> s{};
    for (int i = 0; i < ColorTable::kEntries; ++i) {
        const auto e = static_cast<size_t>(i);
        s[e * 3] = {i, ColorRed, d.ColorR[e]};
        s[e * 3 + 1] = {i, ColorGreen, d.ColorG[e]};
        s[e * 3 + 2] = {i, ColorBlue, d.ColorB[e]};
    }
    return s;
}

} // namespace zelk
