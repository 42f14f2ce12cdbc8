#include "editor/EntryFixture.h"
#include "editor/lanes/LaneLine.h"
#include "editor/lanes/LaneValues.h"

#include <vector>

namespace zelk {
namespace {

// The fixture's canvas: 100 twips per column, ScaleHeight 8400, LaneScale 66.
class LaneMouseTest : public test::EntryFixture {
protected:
    void SetUp() override {
        EntryFixture::SetUp();
        screen(ScreenMod);
    }
    void screen(int s) {
        Option3_Click(ed.palette, s);
        redraw();
    }
    // A left drag through the given points (press at the first, release at the last).
    EditOutcome leftDrag(const std::vector<std::pair<double, double>>& points) {
        EditOutcome out =
            Picture1_MouseDown(ctx, 1, 0, points.front().first, points.front().second);
        for (const auto& [x, y] : points)
            out |= Picture1_MouseMove(ctx, 1, 0, x, y);
        out |= Picture1_MouseUp(ctx, 1, 0, points.back().first, points.back().second);
        return out;
    }
    EditOutcome rightDrag(double x0, double y0, double x1, double y1) {
        EditOutcome out = Picture1_MouseDown(ctx, 2, 0, x0, y0);
        out |= Picture1_MouseMove(ctx, 2, 0, x1, y1);
        out |= Picture1_MouseUp(ctx, 2, 0, x1, y1);
        return out;
    }
    std::vector<int> mod(int from, int to) const {
        std::vector<int> v;
        for (int c = from; c < to; ++c)
            v.push_back(song.part.ModLane[c]);
        return v;
    }
    // A note starting at column `col` in row 28 (velocity 100).
    void noteAt(int col) {
        screen(ScreenScore);
        ed.palette.NoteLen = 2;
        click(28, col);
        screen(ScreenVel);
    }
    size_t noteOffs() const {
        size_t n = 0;
        for (uint32_t m : midi.sent)
            n += (m & 0xF0) == 0x80;
        return n;
    }
};

TEST_F(LaneMouseTest, ControllerAndTempoMappings) {
    EXPECT_EQ(controllerValueAt(ed.view, 0), 127);
    EXPECT_EQ(controllerValueAt(ed.view, 65.4), 127);
    EXPECT_EQ(controllerValueAt(ed.view, 66), 126);
    EXPECT_EQ(controllerValueAt(ed.view, 8382), 0);
    EXPECT_EQ(controllerValueAt(ed.view, 8400), 0);
    // 28 twips per beat: 299.5 rounds to 300, 298.5 to 298 (halves to even).
    EXPECT_EQ(tempoValueAt(ed.view, 14.0), 300);
    EXPECT_EQ(tempoValueAt(ed.view, 42.0), 298);
    EXPECT_EQ(tempoValueAt(ed.view, 8400.0), 0);
}

TEST_F(LaneMouseTest, HoverShowsTheValueAndAClickWithoutMovementWritesNothing) {
    Picture1_MouseMove(ctx, 0, 0, 250, 66 * 27);
    EXPECT_EQ(ed.palette.PointerText, "100");
    EXPECT_EQ(song.part.ModLane[2], 0);
    Picture1_MouseDown(ctx, 1, 0, 250, 66 * 27);
    Picture1_MouseUp(ctx, 1, 0, 250, 66 * 27);
    EXPECT_EQ(song.part.ModLane[2], 0);
    EXPECT_EQ(song.Dirty, 0);
    screen(ScreenTem);
    Picture1_MouseMove(ctx, 0, 0, 250, 42);
    EXPECT_EQ(ed.palette.PointerText, "298");
    screen(ScreenScore);
    EXPECT_EQ(ed.palette.PointerText, "");
}

TEST_F(LaneMouseTest, LeftDragSetsOnlyTheColumnsPassedAndMarksTheSong) {
    const EditOutcome out = leftDrag({{50, 0}, {150, 66 * 10}, {350, 66 * 20}});
    EXPECT_EQ(mod(0, 5), (std::vector<int>{127, 117, 0, 107, 0}));
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(out.laneFirst, 0);
    EXPECT_EQ(out.laneLast, 3);
    screen(ScreenTem);
    leftDrag({{50, 42}, {150, 14}});
    EXPECT_EQ(song.TemLane[0], 298);
    EXPECT_EQ(song.TemLane[1], 300);
}

TEST_F(LaneMouseTest, PositionsBelowTheLastStepOrPastTheLaneWriteNothing) {
    ed.view.ScaleHeight = 8500; // 118 twips below 127 steps of 66
    leftDrag({{50, 8490}, {150, 8449}});
    EXPECT_EQ(mod(0, 2), (std::vector<int>{0, 0}));
    ed.view.ViewCol = kMaxSongCols - 10; // a view reaching past the lanes' end
    screen(ScreenPan);
    leftDrag({{xOfColumn(kMaxSongCols), 66}, {xOfColumn(kMaxSongCols) + 100, 66}});
    EXPECT_EQ(song.part.PanLane[kMaxSongCols], 126);
}

TEST_F(LaneMouseTest, VelocityDragChangesOnlyNoteStartsAboveTheBottomBand) {
    noteAt(2);
    leftDrag({{50, 660}, {150, 660}, {350, 660}, {450, 660}});
    EXPECT_EQ(song.part.VelLane[2], 100); // the pointer jumped over column 2
    EXPECT_EQ(song.part.VelLane[0], 0);
    EXPECT_EQ(song.part.VelLane[1], 0);
    EXPECT_EQ(song.part.VelLane[3], 0);
    leftDrag({{150, 660}, {250, 660}});
    EXPECT_EQ(song.part.VelLane[2], 117);
    leftDrag({{150, 8350}, {250, 8350}});
    EXPECT_EQ(song.part.VelLane[2], 117);
}

TEST_F(LaneMouseTest, VelocityDragResolvesTupletSlotsLikeANoteClick) {
    tupletMode(true);
    screen(ScreenScore);
    ed.palette.NoteLen = 1;
    clickSlot(28, 4); // slot 4 starts at column 5
    screen(ScreenVel);
    ASSERT_EQ(song.part.VelLane[5], 100);
    leftDrag({{xOfSlot(3), 660}, {xOfSlot(4), 660}});
    EXPECT_EQ(song.part.VelLane[5], 117);
}

class LaneLineTest : public LaneMouseTest {
protected:
    void SetUp() override {
        LaneMouseTest::SetUp();
        ed.view.TwipsPerPixel = 1; // one pixel per twip: the segment's geometry is exact
    }
};

TEST_F(LaneLineTest, PressShowsTheLineSevenTwipsUpAndMovesOnlyItsEnd) {
    Picture1_MouseDown(ctx, 2, 0, 149.5, 1000);
    EXPECT_TRUE(ed.lanes.Line1.visible);
    EXPECT_EQ(ed.lanes.LineX0, 150);
    EXPECT_EQ(ed.lanes.LineY0, 993);
    EXPECT_EQ(ed.lanes.Line1.x1, 149.5);
    EXPECT_EQ(ed.lanes.Line1.y1, 993);
    Picture1_MouseMove(ctx, 2, 0, 300, 500);
    EXPECT_EQ(ed.lanes.Line1.x2, 300);
    EXPECT_EQ(ed.lanes.Line1.y2, 500);
    EXPECT_EQ(mod(0, 4), (std::vector<int>{0, 0, 0, 0}));
    Picture1_MouseUp(ctx, 2, 0, 300, 500);
    EXPECT_FALSE(ed.lanes.Line1.visible);
}

TEST_F(LaneLineTest, ALineReleasedAtThePressHeightSlopesDownSevenTwips) {
    // LineY0 = 3959 (one twip above step 60); the end is 3966. At the probe column the
    // segment is at 3959 + 7 / 4 -> row 3961: d = 2, so the second column already falls.
    rightDrag(50, 3966, 450, 3966);
    EXPECT_EQ(mod(0, 5), (std::vector<int>{68, 67, 67, 67, 67}));
}

TEST_F(LaneLineTest, LowerLeftToUpperRightRisesByTheStepPerColumn) {
    rightDrag(50, 4007, 350, 3700); // LineY0 4000, one twip up per twip right: d = -100
    const int d = -100;
    std::vector<int> expected;
    for (int n = 0; n < 4; ++n)
        expected.push_back(127 - (n * d + 4000) / 66);
    expected.push_back(0);
    EXPECT_EQ(mod(0, 5), expected);
    EXPECT_EQ(expected.front(), 67);
    EXPECT_EQ(expected[3], 71);
}

TEST_F(LaneLineTest, LeftwardWalkIncludesBothEnds) {
    rightDrag(350, 4007, 50, 3700);
    EXPECT_EQ(mod(0, 5), (std::vector<int>{71, 70, 68, 67, 0}));
}

TEST_F(LaneLineTest, CompletedWalkEndsWithTheNoteOffAndAnEarlyStopSkipsIt) {
    const size_t before = noteOffs();
    rightDrag(50, 4007, 350, 3700);
    EXPECT_EQ(noteOffs(), before + 1);
    // Steeply up: the fourth column would lie above the top (q < 0).
    rightDrag(50, 2007, 350, -1000);
    EXPECT_EQ(noteOffs(), before + 1);
    EXPECT_EQ(mod(0, 4), (std::vector<int>{97, 112, 127, 71}));
    EXPECT_FALSE(ed.lanes.Line1.visible);
}

TEST_F(LaneLineTest, WalkStopsBelowTheBottomAndAtTheViewsEdges) {
    rightDrag(50, 8007, 350, 9000); // 8000, 8333, then past step 127
    EXPECT_EQ(mod(0, 4), (std::vector<int>{127 - 8000 / 66, 127 - 8333 / 66, 0, 0}));
    show(2, 1);
    screen(ScreenHol);
    rightDrag(2950, 1007, 3600, 1007); // released right of the canvas
    for (int c = 61; c <= 63; ++c)
        EXPECT_EQ(song.part.HolLane[c], 127 - 1000 / 66) << c;
    EXPECT_EQ(song.part.HolLane[64], 0);
    rightDrag(150, 2007, -300, 2007); // released left of the canvas
    EXPECT_EQ(song.part.HolLane[32], 127 - 2000 / 66);
    EXPECT_EQ(song.part.HolLane[33], 127 - 2000 / 66);
    EXPECT_EQ(song.part.HolLane[31], 0);
}

TEST_F(LaneLineTest, TempoLineUsesTheTempoMapping) {
    screen(ScreenTem);
    rightDrag(50, 847, 250, 1407);   // LineY0 840, about 282 twips down per column
    EXPECT_EQ(song.TemLane[0], 270); // 300 - 840 / 28
    EXPECT_EQ(song.TemLane[1], 260);
    EXPECT_EQ(song.TemLane[2], 250);
}

TEST_F(LaneLineTest, VelocityLineWritesNoteStartsOnlyAndNeverZero) {
    noteAt(2);
    rightDrag(50, 8390, 450, 8390);
    EXPECT_EQ(song.part.VelLane[2], 1);
    for (int c : {0, 1, 3, 4})
        EXPECT_EQ(song.part.VelLane[c], 0) << c;
}

TEST(LaneLineStep, PixelRowsOfTheSegmentGiveTheStep) {
    ViewState v;
    v.ScaleWidth = 3200;
    v.ScaleHeight = 8400;
    v.TwipsPerPixel = 15;
    // Flat in pixels: the row of 3959 (264) starts at twip 3953.
    EXPECT_EQ(lineStep(v, 50, 3959, 450, 3966, 150), 3953 - 3959);
    // The probe column off the canvas, or not reached by the segment: no pixel.
    EXPECT_EQ(lineStep(v, 50, 3959, 60, 3966, 150), 8400 - 3959);
    EXPECT_EQ(lineStep(v, 50, 3959, -400, 3966, -50), 8400 - 3959);
}

} // namespace
} // namespace zelk
