#include "editor/prefs/ColorSettings.h"

#include <gtest/gtest.h>

#include <set>

namespace zelk {
namespace {

TEST(ColorSettingsTest, DropDownsChangeTheTableOnlyOnceLoaded) {
    ColorTable t = defaultColorTable();
    ColorSettingsState s;
    EXPECT_FALSE(colorComboClick(t, s, ColorGreen, 4, 9));
    EXPECT_EQ(t, defaultColorTable());
    s.ColorsLoaded = 1;
    EXPECT_TRUE(colorComboClick(t, s, ColorGreen, 4, 9));
    EXPECT_EQ(t.ColorG[4], 9);
    EXPECT_EQ(t.ColorR[4], 0);
    EXPECT_EQ(t.ColorB[4], 0);
    EXPECT_THROW(colorComboClick(t, s, ColorRed, 18, 1), std::out_of_range);
}

TEST(ColorSettingsTest, RedZeroBecomesOneForTheBarColoursOnly) {
    ColorTable t = defaultColorTable();
    const ColorSettingsState s{1};
    for (int e = 0; e < ColorTable::kEntries; ++e) {
        colorComboClick(t, s, ColorRed, e, 0);
        colorComboClick(t, s, ColorBlue, e, 0);
        EXPECT_EQ(t.ColorR[static_cast<size_t>(e)], e == 16 || e == 17 ? 1 : 0) << e;
        EXPECT_EQ(t.ColorB[static_cast<size_t>(e)], 0) << e;
    }
}

TEST(ColorSettingsTest, DefaultStepsThroughAllSelectionsInEntryOrder) {
    const auto steps = defaultColorSelections();
    ColorTable t;
    t.ColorR.fill(7);
    const ColorSettingsState s{1};
    std::set<std::pair<int, int>> seen;
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].entry, static_cast<int>(i / 3));
        EXPECT_EQ(steps[i].component, static_cast<ColorComponent>(i % 3));
        seen.insert({steps[i].entry, steps[i].component});
        colorComboClick(t, s, steps[i].component, steps[i].entry, steps[i].listIndex);
    }
    EXPECT_EQ(seen.size(), 54u);
    EXPECT_EQ(t, defaultColorTable());
    EXPECT_EQ(t.ColorR[16], 150);
    EXPECT_EQ(t.ColorR[17], 100);
}

TEST(ColorSettingsTest, RowsShowEveryEntryOnce) {
    std::set<int> entries;
    for (const ColorRow& r : kColorRows)
        entries.insert(r.entry);
    EXPECT_EQ(entries.size(), 18u);
    EXPECT_EQ(colorComponent(defaultColorTable(), ColorGreen, 5), 180);
}

} // namespace
} // namespace zelk
