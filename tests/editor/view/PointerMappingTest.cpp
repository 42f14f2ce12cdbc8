#include "editor/EntryFixture.h"

namespace zelk {
namespace {

class PointerMappingTest : public test::EntryFixture {
protected:
    void hover(double x, double y) { Picture1_MouseMove(ctx, 0, 0, x, y); }
};

TEST_F(PointerMappingTest, RowIsTheNearestRowLine) {
    // y (twips) -> row, 300 twips per row, top row 14; nearest rounds halves to even
    const struct {
        double y;
        int row;
    } table[] = {
        {0, 14},     {148.5, 14},             // 298.5 rounds down to 298
        {149.5, 15},                          // 299.5 rounds up to 300
        {449, 15},   {450, 16},   {8400, 42}, // the bottom edge is row 42
    };
    for (const auto& t : table) {
        hover(50, t.y);
        EXPECT_EQ(ed.entry.ClickRow, t.row) << "y " << t.y;
    }
}

TEST_F(PointerMappingTest, NormalColumnCountsFromTheFirstShownColumn) {
    show(2, 1); // ViewCol 32
    // x -> ClickCol at 100 twips per column
    const struct {
        double x;
        int col;
    } table[] = {{0, 32}, {99, 32}, {99.5, 33}, {100, 33}, {3199, 63}, {3200, 64}};
    for (const auto& t : table) {
        hover(t.x, 0);
        EXPECT_EQ(ed.entry.ClickCol, t.col) << "x " << t.x;
        EXPECT_EQ(ed.view.TupletFix, 0);
        EXPECT_EQ(ed.view.TupletBit, 0);
    }
}

TEST_F(PointerMappingTest, TupletSlotsFillFourColumnsWithThree) {
    show(2, 1);
    tupletMode(true); // 133 twips per slot
    // x -> ClickCol, TupletFix, TupletShift; the slot starts at ClickCol + TupletFix
    const struct {
        double x;
        int col, fix, shift;
    } table[] = {
        {0, 32, 0, 0},   {132, 32, 0, 0},
        {133, 33, 0, 0}, {266, 34, 0, 1}, // third slot: columns 34 and 35
        {399, 35, 1, 0},                  // next group starts at 36
        {665, 37, 1, 1}, {798, 38, 2, 0},
    };
    for (const auto& t : table) {
        hover(t.x, 0);
        EXPECT_EQ(ed.entry.ClickCol, t.col) << "x " << t.x;
        EXPECT_EQ(ed.view.TupletFix, t.fix) << "x " << t.x;
        EXPECT_EQ(ed.view.TupletShift, t.shift) << "x " << t.x;
        EXPECT_EQ(ed.view.TupletBit, 0x1000);
        EXPECT_EQ(ed.view.ClickColWidth, 133);
    }
}

TEST_F(PointerMappingTest, PressOutsideTheCanvasIsIgnored) {
    for (double x : {-1.0, 3201.0})
        Picture1_MouseDown(ctx, 1, 0, x, 4200);
    Picture1_MouseDown(ctx, 1, 0, 50, 8401);
    EXPECT_EQ(song.undo.UndoPos, 1);
    EXPECT_EQ(song.Dirty, 0);
}

TEST_F(PointerMappingTest, PressBelowTheLastRowIsIgnored) {
    Option2_Click(ed.palette, ed.view, BandWhole);
    ed.view.ScaleHeight = 2855; // 101 twips per 28 rows, 50 per row of the whole staff
    redraw();
    ASSERT_EQ(ed.view.RowHeight, 50);
    Picture1_MouseDown(ctx, 1, 0, 50, 2855); // would be row 57
    EXPECT_EQ(song.undo.UndoPos, 1);
    Picture1_MouseDown(ctx, 1, 0, 50, 2800);
    EXPECT_EQ(song.part.Grid(56, 0), 0x3F);
}

TEST_F(PointerMappingTest, HoverWithShiftHeldChangesNothing) {
    hover(50, 0);
    Picture1_MouseMove(ctx, 0, 1, 1050, 3000);
    EXPECT_EQ(ed.entry.ClickRow, 14);
    EXPECT_EQ(ed.entry.ClickCol, 0);
}

TEST_F(PointerMappingTest, HoverSetsTheBeatStepOfTheInterpretation) {
    tupletMode(true);
    ed.view.BeatStep = 0;
    hover(50, 0);
    EXPECT_EQ(ed.view.BeatStep, 6);
    tupletMode(false);
    hover(50, 0);
    EXPECT_EQ(ed.view.BeatStep, 8);
}

} // namespace
} // namespace zelk
