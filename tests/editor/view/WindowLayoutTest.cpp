#include "editor/view/WindowLayout.h"
#include "editor/EditorState.h"
#include "editor/Palette.h"
#include "model/RowTables.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

class WindowLayoutTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    EditorState ed;

    std::optional<WindowLayout> resize(double w, double h, bool fileMenu = true) {
        return Form_Resize(song, ed.view, w, h, fileMenu);
    }
};

TEST_F(WindowLayoutTest, WindowsOf1320TwipsOrLessAreNotLaidOut) {
    // inner height -> laid out?
    const std::pair<double, bool> table[] = {{0, false}, {1320, false}, {1321, true}, {9000, true}};
    for (const auto& [h, laidOut] : table) {
        ed.view.ScaleHeight = 77;
        EXPECT_EQ(resize(12000, h).has_value(), laidOut) << h;
        if (!laidOut) {
            EXPECT_EQ(ed.view.ScaleHeight, 77) << h;
        }
    }
}

TEST_F(WindowLayoutTest, MelodicPartCanvasStartsAt1200) {
    const auto l = resize(15000, 10000);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->canvas, (TwipRect{1200, 960, 15000 - 1320, 10000 - 1080}));
    EXPECT_EQ(l->scrollBar, (TwipRect{120, 0, 15000 - 240, 255}));
    EXPECT_FALSE(l->rhythmPart);
    EXPECT_TRUE(l->programEnabled);
    EXPECT_TRUE(l->accidentalsEnabled);
    for (const DrumLabel& d : l->drumLabels)
        EXPECT_FALSE(d.visible);
    EXPECT_EQ(ed.view.ScaleWidth, 15000 - 1320);
    EXPECT_EQ(ed.view.ScaleHeight, 10000 - 1080);
}

TEST_F(WindowLayoutTest, ProgramListStaysDisabledDuringPlayback) {
    const auto l = resize(15000, 10000, false);
    ASSERT_TRUE(l);
    EXPECT_FALSE(l->programEnabled);
    EXPECT_TRUE(l->accidentalsEnabled);
}

TEST_F(WindowLayoutTest, RhythmPartCanvasStartsAt2160AndDisablesPitchControls) {
    song.CurPart = 9;
    const auto l = resize(15000, 10000);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->canvas, (TwipRect{2160, 960, 15000 - 2280, 10000 - 1080}));
    EXPECT_TRUE(l->rhythmPart);
    EXPECT_FALSE(l->programEnabled);
    EXPECT_FALSE(l->accidentalsEnabled);
}

TEST_F(WindowLayoutTest, RhythmPartsAreCaptionedInRed) {
    song.DrumPart[3] = 1;
    const auto l = resize(15000, 10000);
    ASSERT_TRUE(l);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(l->partCaptionRed[p], p == 3 || p == 9) << p;
}

TEST_F(WindowLayoutTest, DrumNamesLabelTheRowsOfTheShownBand) {
    song.CurPart = 9;
    const auto l = resize(15000, 9480); // canvas 8400 high: R = 300
    ASSERT_TRUE(l);
    for (int b = 0; b < kDrumLabels; ++b) {
        const DrumLabel& d = l->drumLabels[b];
        SCOPED_TRACE(b);
        if (b > 28) {
            EXPECT_FALSE(d.visible);
            continue;
        }
        EXPECT_TRUE(d.visible);
        EXPECT_EQ(d.fontSize, 9);
        EXPECT_EQ(d.top, 960 + 300 * b - 85);
        EXPECT_EQ(d.caption, DrumName(14 + b));
    }
    EXPECT_EQ(l->drumLabels[30 - 14].caption, "ﾀﾝﾊﾞﾘﾝ");
}

TEST_F(WindowLayoutTest, WholeStaffLabelsFiftyRowsInSmallerType) {
    song.CurPart = 9;
    Palette p;
    Option2_Click(p, ed.view, BandWhole);
    const auto l = resize(15000, 9480);
    ASSERT_TRUE(l);
    for (int b = 0; b < kDrumLabels; ++b) {
        const DrumLabel& d = l->drumLabels[b];
        EXPECT_TRUE(d.visible);
        EXPECT_EQ(d.fontSize, 8);
        EXPECT_EQ(d.top, 960 + 150 * b - 85);
        EXPECT_EQ(d.caption, DrumName(b));
    }
    EXPECT_EQ(l->drumLabels[44].caption, "ｽﾈｱﾄﾞﾗﾑ1");
    EXPECT_EQ(l->drumLabels[0].caption, "");
}

TEST_F(WindowLayoutTest, LaneScaleIsCanvasHeightOver127) {
    // canvas height -> LaneScale
    const std::pair<double, int> table[] = {{8400, 66}, {254, 2}, {253, 1}, {127 * 100, 100}};
    for (const auto& [h, scale] : table) {
        ASSERT_TRUE(resize(15000, h + 1080));
        EXPECT_EQ(ed.view.LaneScale, scale) << h;
    }
}

// Regression: the byte LaneScale overflowed on canvases taller than 255 x 127 twips.
TEST_F(WindowLayoutTest, LaneScaleOfAVeryTallCanvasKeepsTheLargestByte) {
    ASSERT_TRUE(resize(15000, 40000));
    EXPECT_EQ(ed.view.LaneScale, 255);
}

TEST_F(WindowLayoutTest, NarrowWindowGetsAnEmptyCanvasNotANegativeOne) {
    const auto l = resize(1000, 5000);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->canvas.width, 0);
    EXPECT_EQ(l->scrollBar.width, 760);
}

TEST_F(WindowLayoutTest, ClickColumnWidthFallsBackToThePlainWidth) {
    ed.view.ColWidth = 100;
    ed.view.ClickColWidth = 133;
    ASSERT_TRUE(resize(15000, 9000));
    EXPECT_EQ(ed.view.ClickColWidth, 100);
}

} // namespace
} // namespace zelk
