#include "editor/EntryFixture.h"
#include "editor/lanes/LaneValues.h"

#include <cmath>
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
    EXPECT_EQ(mod(0, 5), (std::vector<int>{127, 117, 112, 107, 0}));
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
    leftDrag({{50, 660}, {150, 660}});
    EXPECT_EQ(song.part.VelLane[2], 100); // not reached
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
    // LineY0 = 3959 (value 68); the end 3966 (value 67): the second column already falls.
    rightDrag(50, 3966, 450, 3966);
    EXPECT_EQ(mod(0, 5), (std::vector<int>{68, 67, 67, 67, 67}));
}

// Each column takes the drawn line's height there: the press column the line's start,
// the release column its end, the columns between on the straight line.
TEST_F(LaneLineTest, EveryColumnTakesTheLinesValueFromStartToEnd) {
    struct Case {
        double x0, y0, x1, y1;
        std::vector<int> expected; // columns 0..5
    };
    const Case cases[] = {
        // Up by 100 twips a column from 4000: 4000, 3900, 3800, 3700 (/66 -> 60, 59, 57, 56).
        {50, 4007, 350, 3700, {67, 68, 70, 71, 0, 0}},
        // The same line drawn leftward: the walk includes both ends.
        {350, 4007, 50, 3700, {71, 70, 68, 67, 0, 0}},
        // Steeply up past the top: clamped to 127, not stopped.
        {50, 2007, 350, -1000, {97, 112, 127, 127, 0, 0}},
        // Down past the bottom: clamped to 0 to the release column.
        {50, 8007, 450, 9000, {127 - 8000 / 66, 127 - 8250 / 66, 0, 0, 0, 0}},
        // Within one column: the release height.
        {20, 1007, 80, 3000, {127 - 3000 / 66, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        song.part.ModLane.fill(0);
        rightDrag(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(mod(0, 6), c.expected) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
}

// At 4 measures a line from 60 to the top of the lane reached 127 at column 100 of 128 and
// stopped, leaving the rest at their old values; a line from 80 to 115 exported 122: the
// step per column was off by up to a pixel row and the error grew along the line.
TEST_F(LaneLineTest, LongLinesEndExactlyWhereTheyWereReleased) {
    for (int shown : {1, 2, 4, 7}) {
        show(1, shown);
        screen(ScreenExp);
        const int cols = shown * 32;
        const double lastX = (cols - 0.5) * ed.view.ColWidth;
        struct Line {
            int from, to; // values at the press and the release
        };
        for (const Line l : {Line{60, 127}, Line{80, 115}, Line{115, 80}, Line{3, 125}}) {
            song.part.ExpLane.fill(0);
            const double yFrom = (127 - l.from) * 66 + 40 + 7; // inside the step, 7 above
            const double yTo = (127 - l.to) * 66 + 40;
            rightDrag(ed.view.ColWidth / 2.0, yFrom, lastX, yTo);
            EXPECT_EQ(song.part.ExpLane[0], l.from) << shown << ": " << l.from << "->" << l.to;
            EXPECT_EQ(song.part.ExpLane[cols - 1], l.to) << shown << ": " << l.from << "->" << l.to;
            for (int c = 1; c < cols; ++c) {
                const int step = song.part.ExpLane[c] - song.part.ExpLane[c - 1];
                EXPECT_TRUE(l.to > l.from ? step >= 0 : step <= 0) << shown << " column " << c;
                // Straight: no column strays more than one step from the ideal line.
                const double ideal = l.from + (l.to - l.from) * double(c) / (cols - 1);
                EXPECT_LE(std::abs(song.part.ExpLane[c] - ideal), 1.0) << shown << " column " << c;
            }
        }
    }
}

TEST_F(LaneLineTest, CompletedWalkEndsWithTheNoteOffAndAStopAtTheViewsEdgeSkipsIt) {
    const size_t before = noteOffs();
    rightDrag(50, 4007, 350, 3700);
    EXPECT_EQ(noteOffs(), before + 1);
    rightDrag(50, 2007, 350, -1000); // past the top: clamped, the walk completes
    EXPECT_EQ(noteOffs(), before + 2);
    rightDrag(2950, 1007, 3600, 1007); // released right of the canvas
    EXPECT_EQ(noteOffs(), before + 2);
    EXPECT_FALSE(ed.lanes.Line1.visible);
}

TEST_F(LaneLineTest, WalkStopsAtTheViewsEdges) {
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
    rightDrag(50, 847, 250, 1407);   // LineY0 840, 280 twips down a column
    EXPECT_EQ(song.TemLane[0], 270); // 300 - 840 / 28
    EXPECT_EQ(song.TemLane[1], 260);
    EXPECT_EQ(song.TemLane[2], 250);
    rightDrag(50, 847, 250, -2000); // above the top: 300, not more
    EXPECT_EQ(song.TemLane[2], 300);
}

TEST_F(LaneLineTest, VelocityLineWritesNoteStartsOnlyAndNeverZero) {
    noteAt(2);
    rightDrag(50, 8390, 450, 8390);
    EXPECT_EQ(song.part.VelLane[2], 1);
    for (int c : {0, 1, 3, 4})
        EXPECT_EQ(song.part.VelLane[c], 0) << c;
}

// At 4 measures a column is 8.7 pixels: a normal drag jumped over columns and left holes.
TEST_F(LaneMouseTest, AFastLeftDragSetsEveryColumnItPasses) {
    leftDrag({{50, 66 * 27}, {950, 66 * 27}, {1550, 66 * 37}}); // 100, then down to 90
    for (int c = 0; c <= 9; ++c)
        EXPECT_EQ(song.part.ModLane[c], 100) << c;
    for (int c = 10; c <= 15; ++c) {
        EXPECT_LE(song.part.ModLane[c], song.part.ModLane[c - 1]) << c;
        EXPECT_GE(song.part.ModLane[c], 90) << c;
    }
    EXPECT_EQ(song.part.ModLane[15], 90);
    EXPECT_EQ(song.part.ModLane[16], 0);
    leftDrag({{1550, 66 * 7}, {50, 66 * 7}}); // leftward too
    for (int c = 0; c <= 15; ++c)
        EXPECT_EQ(song.part.ModLane[c], 120) << c;
}

TEST_F(LaneMouseTest, AFastVelocityDragReachesEveryNoteStartItPasses) {
    noteAt(2);
    noteAt(5);
    leftDrag({{50, 660}, {750, 660}});
    EXPECT_EQ(song.part.VelLane[2], 117);
    EXPECT_EQ(song.part.VelLane[5], 117);
    EXPECT_EQ(song.part.VelLane[3], 0);
}

} // namespace
} // namespace zelk
