#include "editor/view/DrawScore.h"
#include "editor/DrawListQuery.h"
#include "editor/EditorState.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace zelk {
namespace {

using test::boxes;
using test::dots;
using test::horizontalLines;
using test::verticalLines;

// Canvas of 3200 x 8400 twips: one 4/4 measure gives 100 twips per column, 28 row steps
// give 300 twips per row (150 with the whole staff shown).
class DrawScoreTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    EditorState ed;
    DrawList list;

    void SetUp() override {
        ed.view.ScaleWidth = 3200;
        ed.view.ScaleHeight = 8400;
        ed.view.LaneScale = 66; // nearest(8400) \ 127
    }
    void draw() { DrawScore(song, ed.palette, ed.view, list); }
    void showThreeMeasuresOf34() {
        ASSERT_FALSE(Combo5_Click(song, ed.view, ed.signatures, 2).refused()); // "３/４"
        Mkakudai_Click(song, ed.view, ed.signatures, 3);
        ed.view.ScaleWidth = 7200; // 72 columns of 100 twips
    }
    void screen(int s) { Option3_Click(ed.palette, s); }
};

struct LineSpec {
    uint8_t color;
    uint8_t width;
};

// Colour and width of the vertical line at display slot i, or {0, 0} when none is drawn.
std::map<int, LineSpec> linesBySlot(const std::vector<DrawItem>& lines, int slotWidth) {
    std::map<int, LineSpec> r;
    for (const DrawItem& d : lines) {
        EXPECT_EQ(static_cast<int>(d.x1) % slotWidth, 0) << "line off the slot grid at " << d.x1;
        r[static_cast<int>(d.x1) / slotWidth] = {d.color, d.width};
    }
    return r;
}

TEST_F(DrawScoreTest, RedrawStartsByClearingToTheCanvasBackground) {
    for (int s : {0, 1, 7}) {
        screen(s);
        draw();
        ASSERT_FALSE(list.items.empty());
        EXPECT_EQ(list.items[0].kind, DrawKind::Clear);
        EXPECT_EQ(list.items[0].color, 1);
    }
}

TEST_F(DrawScoreTest, GeometryFollowsCanvasSizeZoomAndTupletMode) {
    // ScaleWidth, ShownMeasures, StaffZoom, tuplet -> ColWidth, RowHeight, ClickColWidth, BeatStep
    struct Row {
        double width, height;
        int shown, zoom, tuplet;
        int colWidth, rowHeight, click, beat, bit;
    } rows[] = {
        {3200, 8400, 1, 1, 0, 100, 300, 100, 8, 0},      // plain
        {3216, 8400, 1, 1, 0, 100, 300, 100, 8, 0},      // 100.5 rounds to even 100
        {3248, 8400, 1, 1, 0, 102, 300, 102, 8, 0},      // 101.5 rounds to even 102
        {3200, 8400, 1, 2, 0, 100, 150, 100, 8, 0},      // whole staff halves the rows
        {3200, 8427, 1, 1, 0, 100, 300, 100, 8, 0},      // 8427 \ 28 = 300
        {3200, 8400, 1, 1, 1, 100, 300, 133, 6, 0x1000}, // tuplet slots are 4/3 wide
        {22400, 8400, 7, 1, 0, 100, 300, 100, 8, 0},     // seven measures, 224 columns
    };
    for (const Row& r : rows) {
        ed.view.ScaleWidth = r.width;
        ed.view.ScaleHeight = r.height;
        ed.view.ShownMeasures = static_cast<uint8_t>(r.shown);
        ed.view.StaffZoom = static_cast<uint8_t>(r.zoom);
        ed.palette.TupletMode = static_cast<uint8_t>(r.tuplet);
        computeGeometry(song, ed.palette, ed.view);
        SCOPED_TRACE(r.width);
        EXPECT_EQ(ed.view.ShownCols, 32 * r.shown);
        EXPECT_EQ(ed.view.ColWidth, r.colWidth);
        EXPECT_EQ(ed.view.RowHeight, r.rowHeight);
        EXPECT_EQ(ed.view.ClickColWidth, r.click);
        EXPECT_EQ(ed.view.BeatStep, r.beat);
        EXPECT_EQ(ed.view.TupletBit, r.bit);
    }
}

TEST_F(DrawScoreTest, TupletBeatStepIsThreeQuartersOfTheBeat) {
    // BeatCols -> BeatStep in tuplet mode
    const int table[][2] = {{8, 6}, {4, 3}, {2, 1}};
    ed.palette.TupletMode = 1;
    for (const auto& r : table) {
        song.BeatCols = static_cast<uint8_t>(r[0]);
        computeGeometry(song, ed.palette, ed.view);
        EXPECT_EQ(ed.view.BeatStep, r[1]) << "BeatCols " << r[0];
    }
}

TEST_F(DrawScoreTest, OneMeasureOf44HasBeatLinesAndNoMeasureLine) {
    draw();
    const auto lines = verticalLines(list);
    ASSERT_EQ(lines.size(), 31u); // columns 1..31
    for (const DrawItem& d : lines) {
        EXPECT_EQ(d.y1, 0);
        EXPECT_EQ(d.y2, 8400);
    }
    const auto by = linesBySlot(lines, 100);
    for (int i = 1; i < 32; ++i) {
        const bool beat = i == 8 || i == 16 || i == 24;
        EXPECT_EQ(by.at(i).color, beat ? 3 : 2) << "column " << i;
        EXPECT_EQ(by.at(i).width, beat ? 2 : 1) << "column " << i;
    }
}

TEST_F(DrawScoreTest, ThreeMeasuresOf34HaveMeasureLinesAt24And48) {
    showThreeMeasuresOf34();
    draw();
    const auto by = linesBySlot(verticalLines(list), 100);
    ASSERT_EQ(by.size(), 71u);
    const std::set<int> measure = {24, 48};
    const std::set<int> beat = {8, 16, 32, 40, 56, 64};
    for (int i = 1; i < 72; ++i) {
        SCOPED_TRACE(i);
        if (measure.count(i)) {
            EXPECT_EQ(by.at(i).color, 4);
            EXPECT_EQ(by.at(i).width, 2);
        } else if (beat.count(i)) {
            EXPECT_EQ(by.at(i).color, 3);
            EXPECT_EQ(by.at(i).width, 2);
        } else {
            EXPECT_EQ(by.at(i).color, 2);
            EXPECT_EQ(by.at(i).width, 1);
        }
    }
}

TEST_F(DrawScoreTest, TupletModeDrawsMeasureLinesEvery18SlotsAndBeatsEvery6) {
    showThreeMeasuresOf34();
    Command5_Click(ed.palette);
    draw();
    const auto by = linesBySlot(verticalLines(list), 133); // 100 * 4 \ 3
    for (int i = 1; i < 72; ++i) {
        SCOPED_TRACE(i);
        if (i % 18 == 0)
            EXPECT_EQ(by.at(i).color, 4);
        else if (i % 6 == 0)
            EXPECT_EQ(by.at(i).color, 3);
        else
            EXPECT_EQ(by.at(i).color, 2);
    }
}

TEST_F(DrawScoreTest, MiddleBandDrawsTwoStavesAndThreeGuideLines) {
    draw();
    const auto lines = horizontalLines(list);
    ASSERT_EQ(lines.size(), 13u); // k = 1..13, every second row
    for (size_t n = 0; n < lines.size(); ++n) {
        const int k = static_cast<int>(n) + 1;
        SCOPED_TRACE(k);
        EXPECT_EQ(lines[n].y1, 2 * k * 300);
        EXPECT_EQ(lines[n].x1, 0);
        EXPECT_EQ(lines[n].x2, 3200);
        const bool guide = k == 1 || k == 7 || k == 13;
        EXPECT_EQ(lines[n].color, guide ? 5 : 4);
        EXPECT_EQ(lines[n].width, guide ? 1 : 3);
    }
    // Middle C (row 28) is the guide line between the staves.
    EXPECT_EQ(lines[6].y1, (28 - ed.view.TopRow) * 300);
}

TEST_F(DrawScoreTest, WholeStaffPutsStaffLinesOnRows18To26And30To38) {
    Option2_Click(ed.palette, ed.view, BandWhole);
    draw();
    const auto lines = horizontalLines(list);
    ASSERT_EQ(lines.size(), 27u);
    std::set<int> staffRows;
    for (const DrawItem& d : lines) {
        const int row = static_cast<int>(d.y1) / 150; // TopRow 0
        if (d.color == 4) {
            EXPECT_EQ(d.width, 3);
            staffRows.insert(row);
        } else {
            EXPECT_EQ(d.color, 5);
            EXPECT_EQ(d.width, 1);
        }
    }
    EXPECT_EQ(staffRows, (std::set<int>{18, 20, 22, 24, 26, 30, 32, 34, 36, 38}));
}

TEST_F(DrawScoreTest, KeyMarksSitOnTheAlteredRowsOfTheFirstShownMeasure) {
    Combo7_Click(song, ed.view, ed.signatures, 2); // two sharps: F and C
    draw();
    const auto d = dots(list);
    // Middle band rows 14..42: C and F rows are those with b % 7 == 0 or 4.
    const int expected[] = {0, 4, 7, 11, 14, 18, 21, 25, 28};
    ASSERT_EQ(d.size(), std::size(expected));
    for (size_t n = 0; n < d.size(); ++n) {
        EXPECT_EQ(d[n].x1, 0);
        EXPECT_EQ(d[n].y1, expected[n] * 300);
        EXPECT_EQ(d[n].color, 7);
        EXPECT_EQ(d[n].width, 10);
    }
}

TEST_F(DrawScoreTest, FlatKeyMarksUseTheFlatColour) {
    Combo6_Click(song, ed.view, ed.signatures, 1);
    Combo7_Click(song, ed.view, ed.signatures, 1); // B flat
    Option2_Click(ed.palette, ed.view, BandWhole);
    draw();
    const auto d = dots(list);
    ASSERT_EQ(d.size(), 8u); // rows 1, 8, ..., 50
    for (size_t n = 0; n < d.size(); ++n) {
        EXPECT_EQ(d[n].y1, (1 + 7 * static_cast<int>(n)) * 150);
        EXPECT_EQ(d[n].color, 9);
    }
}

TEST_F(DrawScoreTest, KeyOfALaterMeasureDoesNotMarkTheView) {
    ed.view.FirstMeasure = 2;
    KeySignatureChanged(song, ed.view, ed.signatures); // no change: count 0
    Combo7_Click(song, ed.view, ed.signatures, 7);     // measures 2.. get seven sharps
    ed.view.FirstMeasure = 1;
    HScroll1_Change(song, ed.view, ed.signatures);
    draw();
    EXPECT_TRUE(dots(list).empty());
}

TEST_F(DrawScoreTest, RhythmPartHasNoKeyMarks) {
    Combo7_Click(song, ed.view, ed.signatures, 7);
    song.DrumPart[0] = 1;
    draw();
    EXPECT_TRUE(dots(list).empty());
}

TEST_F(DrawScoreTest, DrawingOrderIsColumnsStaffKeyThenNotes) {
    Combo7_Click(song, ed.view, ed.signatures, 1);
    test::putNote(song, 28, 0, 8);
    draw();
    int lastVertical = -1, firstHorizontal = -1, lastHorizontal = -1, firstDot = -1, lastDot = -1,
        firstBox = -1;
    for (size_t i = 0; i < list.items.size(); ++i) {
        const DrawItem& d = list.items[i];
        const int n = static_cast<int>(i);
        if (d.kind == DrawKind::Line && d.x1 == d.x2)
            lastVertical = n;
        if (d.kind == DrawKind::Line && d.y1 == d.y2) {
            if (firstHorizontal < 0)
                firstHorizontal = n;
            lastHorizontal = n;
        }
        if (d.kind == DrawKind::Dot) {
            if (firstDot < 0)
                firstDot = n;
            lastDot = n;
        }
        if (d.kind == DrawKind::Box && firstBox < 0)
            firstBox = n;
    }
    EXPECT_LT(lastVertical, firstHorizontal);
    EXPECT_LT(lastHorizontal, firstDot);
    EXPECT_LT(lastDot, firstBox);
}

TEST_F(DrawScoreTest, QuarterNoteIsEightBoxesWithTheIndentOnlyAtItsHead) {
    test::putNote(song, 28, 0, 8); // row 28 is b = 14 in the middle band
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 8u); // the end mark in column 8 draws nothing
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(b[i].x1, i * 100 + (i == 0 ? 30 : 0));
        EXPECT_EQ(b[i].x2, (i + 1) * 100);
        EXPECT_EQ(b[i].y1, 14 * 300 - 100); // half height 300 \ 3
        EXPECT_EQ(b[i].y2, 14 * 300 + 100);
        EXPECT_EQ(b[i].color, 8);
        EXPECT_EQ(b[i].width, 1);
    }
}

TEST_F(DrawScoreTest, NotesAreDrawnColumnByColumnTopRowFirst) {
    test::putNote(song, 30, 2, 1);
    test::putNote(song, 20, 2, 1);
    test::putNote(song, 25, 1, 1);
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].y1, (25 - 14) * 300 - 100);
    EXPECT_EQ(b[1].y1, (20 - 14) * 300 - 100);
    EXPECT_EQ(b[2].y1, (30 - 14) * 300 - 100);
}

TEST_F(DrawScoreTest, BackToBackNotesShowTheIndentAtTheSharedCell) {
    test::putNote(song, 28, 0, 2);
    test::putNote(song, 28, 2, 2); // cell (28, 2) = 191
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[2].x1, 230);
}

TEST_F(DrawScoreTest, EndMarksAloneDrawNothing) {
    song.part.Grid(28, 5) = cell::End | cell::EndSharp;
    song.part.Grid(29, 5) = cell::End | cell::TupletEnd;
    draw();
    EXPECT_TRUE(boxes(list).empty());
}

TEST_F(DrawScoreTest, RowsOutsideTheBandAreNotDrawn) {
    test::putNote(song, 13, 0, 1); // above the middle band
    test::putNote(song, 43, 0, 1); // below it
    test::putNote(song, 14, 1, 1); // top row of the band
    test::putNote(song, 42, 1, 1); // bottom row of the band
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].y1, 0 - 100);
    EXPECT_EQ(b[1].y1, 28 * 300 - 100);
}

TEST_F(DrawScoreTest, WholeStaffShowsAll57Rows) {
    Option2_Click(ed.palette, ed.view, BandWhole);
    test::putNote(song, 0, 0, 1);
    test::putNote(song, 56, 0, 1);
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].y1, 0 - 50);
    EXPECT_EQ(b[1].y1, 56 * 150 - 50);
}

TEST_F(DrawScoreTest, ScrolledViewDrawsFromTheFirstShownMeasure) {
    test::putNote(song, 28, 40, 1); // measure 2, its ninth column
    ed.view.FirstMeasure = 2;
    HScroll1_Change(song, ed.view, ed.signatures);
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].x1, 8 * 100 + 30);
}

TEST_F(DrawScoreTest, SlotJustPastTheRightEdgeIsDrawn) {
    test::putNote(song, 28, 32, 1); // first column of measure 2
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].x1, 3200 + 30);
    EXPECT_EQ(b[0].x2, 3300);
}

struct ColourCase {
    int32_t accidental; // bits of the note
    int keyCount;       // 0 no key; sharps (Combo6 0) or flats (Combo6 1) on the note's row
    int keyKind;
    int plainEntry;  // expected colour entry of a plain note
    int tupletEntry; // and of a tuplet note
};

class NoteColourTest : public DrawScoreTest, public ::testing::WithParamInterface<ColourCase> {};

// Row 25 is an F (25 % 7 == 4): one sharp (F) raises it, six flats (B E A D G C) do not,
// seven flats lower it.
TEST_P(NoteColourTest, AccidentalAndKeyPickTheColour) {
    const ColourCase c = GetParam();
    Combo6_Click(song, ed.view, ed.signatures, c.keyKind);
    Combo7_Click(song, ed.view, ed.signatures, c.keyCount);
    test::putNote(song, 25, 0, 1, c.accidental, false);
    test::putNote(song, 25, 4, 1, c.accidental, true); // tuplet head at slot 3 (column 4)
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].color, c.plainEntry);
    EXPECT_EQ(b[1].color, c.tupletEntry);
}

INSTANTIATE_TEST_SUITE_P(EveryAccidentalAndKey, NoteColourTest,
                         ::testing::Values(
                             // accidental, key count, kind, plain entry, tuplet entry
                             ColourCase{0, 0, 0, 8, 13},     // no accidental, no key
                             ColourCase{0x100, 0, 0, 7, 12}, // sharp
                             ColourCase{0x200, 0, 0, 9, 14}, // flat
                             ColourCase{0, 1, 0, 7, 12}, // natural on a step the sharp key raises
                             ColourCase{0x100, 1, 0, 6, 11}, // sharp on a raised step: double sharp
                             ColourCase{0x200, 1, 0, 8, 13}, // flat on a raised step: natural
                             ColourCase{0, 7, 1, 9, 14},     // natural on a lowered step
                             ColourCase{0x200, 7, 1, 10, 15}, // flat on a lowered step: double flat
                             ColourCase{0x100, 7, 1, 8, 13},  // sharp on a lowered step: natural
                             ColourCase{0x100, 6, 1, 7, 12},  // six flats leave F alone
                             ColourCase{0x300, 0, 0, 8, 13},  // both bits cancel
                             ColourCase{0x100, 0, 1, 7,
                                        12})); // a flat key with no accidentals alters nothing

TEST_F(DrawScoreTest, AccidentalIndexOutsideTheFiveColoursDrawsNothing) {
    // A key shift of 2 (only possible from a damaged file) on a sharp note gives a = 5.
    song.KeyMask[0] = 1 << 4;
    song.KeyShift[0] = 2;
    test::putNote(song, 25, 0, 1, 0x100);
    test::putNote(song, 26, 0, 1, 0x100); // an E: not altered, a = 3
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].color, 7);
}

TEST_F(DrawScoreTest, RhythmPartNotesIgnoreAccidentalsAndKey) {
    Combo7_Click(song, ed.view, ed.signatures, 7);
    song.DrumPart[0] = 1;
    test::putNote(song, 25, 0, 1, 0x100);
    test::putNote(song, 26, 0, 1, 0x200);
    test::putNote(song, 27, 4, 1, 0x100, true);
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].color, 8);
    EXPECT_EQ(b[1].color, 8);
    EXPECT_EQ(b[2].color, 13);
}

TEST_F(DrawScoreTest, TupletNotesAreDrawnOnTheirOwnSlotGrid) {
    // A tuplet quarter (2 slots) at slot 1: head in column 1, body in 2 and 3, end in 4.
    song.part.Grid(28, 1) = cell::Head | cell::TupletHead;
    song.part.Grid(28, 2) = cell::Body | cell::TupletBody;
    song.part.Grid(28, 3) = cell::Body | cell::TupletBody;
    song.part.Grid(28, 4) = cell::End | cell::TupletEnd;
    draw();
    const auto b = boxes(list);
    // Column 3 is never shown by the tuplet pass; the plain pass skips tuplet cells.
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].x1, 133 + 30);
    EXPECT_EQ(b[0].x2, 266);
    EXPECT_EQ(b[1].x1, 266);
    EXPECT_EQ(b[1].x2, 399);
    EXPECT_EQ(b[0].color, 13);
}

TEST_F(DrawScoreTest, TupletPassMapsSlotsToColumnsSkippingEveryFourth) {
    // One tuplet head in every column of the measure; slot s shows column s + s \ 3.
    for (int col = 0; col < 32; ++col)
        song.part.Grid(28, col) = cell::Head | cell::TupletHead;
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 24u); // 3 * (32 \ 4) slots; columns 3, 7, ..., 31 are not shown
    for (int s = 0; s < 24; ++s)
        EXPECT_EQ(b[s].x1, s * 133 + 30) << "slot " << s;
}

TEST_F(DrawScoreTest, PlainNotesComeBeforeTupletNotes) {
    song.part.Grid(28, 0) = cell::Head | cell::TupletHead;
    test::putNote(song, 30, 10, 1);
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].color, 8);
    EXPECT_EQ(b[1].color, 13);
}

TEST_F(DrawScoreTest, ViewWiderThanTheSongEndDrawsNothingPastTheGrid) {
    // 196 measures of 6/4 then 48 of 1/8: seven 6/4 measures shown from measure 196 reach
    // past column 9601.
    song.MeasureLen.assign(244, 4);
    for (int m = 1; m <= 196; ++m)
        song.MeasureLen.setLen(m, 48);
    song.resetKeySignatures();
    test::putNote(song, 28, 9599, 1);
    ed.view.ShownMeasures = 7;
    ed.view.FirstMeasure = 196;
    HScroll1_Change(song, ed.view, ed.signatures);
    ASSERT_EQ(ed.view.ViewCol, 9360);
    ed.view.ScaleWidth = 33600;
    draw();
    const auto b = boxes(list);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].x1, (9599 - 9360) * 100 + 30);
    screen(ScreenPan);
    EXPECT_NO_THROW(draw());
    size_t bars = 0;
    for (const DrawItem& d : verticalLines(list))
        bars += d.width == 5 ? 1 : 0;
    EXPECT_EQ(bars, 9600u - 9360u + 1u); // pan bars up to the lane's last column
}

// Lane screens: one bar per column with a value, from its height down to the bottom.
class LaneBarsTest : public DrawScoreTest {
protected:
    std::vector<DrawItem> bars() {
        std::vector<DrawItem> r;
        for (const DrawItem& d : verticalLines(list))
            if (d.width == 5)
                r.push_back(d);
        return r;
    }
};

TEST_F(LaneBarsTest, LaneScreensDrawNoStaffNoKeyAndNoNotes) {
    Combo7_Click(song, ed.view, ed.signatures, 3);
    test::putNote(song, 28, 0, 8);
    for (int s = 1; s <= 7; ++s) {
        screen(s);
        draw();
        EXPECT_TRUE(boxes(list).empty()) << s;
        EXPECT_TRUE(dots(list).empty()) << s;
        EXPECT_TRUE(horizontalLines(list).empty()) << s;
    }
}

TEST_F(LaneBarsTest, LaneGridHasBeatLinesOnlyWithinOneMeasure) {
    screen(ScreenVel);
    draw();
    std::vector<DrawItem> grid;
    for (const DrawItem& d : verticalLines(list))
        if (d.width == 2)
            grid.push_back(d);
    ASSERT_EQ(grid.size(), 3u);
    for (size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(grid[n].x1, 800 * (static_cast<int>(n) + 1));
        EXPECT_EQ(grid[n].color, 3);
        EXPECT_EQ(grid[n].y2, 8400);
    }
}

TEST_F(LaneBarsTest, LaneGridDrawsMeasureLinesInBlack) {
    showThreeMeasuresOf34();
    screen(ScreenMod);
    draw();
    std::map<int, uint8_t> grid;
    for (const DrawItem& d : verticalLines(list))
        if (d.width == 2)
            grid[static_cast<int>(d.x1) / 100] = d.color;
    EXPECT_EQ(
        grid,
        (std::map<int, uint8_t>{
            {8, 3}, {16, 3}, {24, kBlack}, {32, 3}, {40, 3}, {48, kBlack}, {56, 3}, {64, 3}}));
}

TEST_F(LaneBarsTest, TupletLaneGridKeepsMeasureLinesOnMeasureBoundaries) {
    showThreeMeasuresOf34();
    Command5_Click(ed.palette);
    screen(ScreenVel);
    draw();
    std::map<int, uint8_t> grid;
    for (const DrawItem& d : verticalLines(list))
        if (d.width == 2)
            grid[static_cast<int>(d.x1) / 133] = d.color;
    for (const auto& [slot, color] : grid)
        EXPECT_EQ(color, slot % 18 == 0 ? kBlack : 3) << "slot " << slot;
    EXPECT_EQ(grid.count(18), 1u);
    EXPECT_EQ(grid.count(24), 1u); // a beat, not a measure, in slots
}

TEST_F(LaneBarsTest, VelocityBarsStandWhereNotesStart) {
    test::putNote(song, 28, 0, 8); // velocity 100 at column 0
    song.part.VelLane[5] = 127;    // full height
    song.part.VelLane[31] = 1;     // lowest non-zero value
    screen(ScreenVel);
    draw();
    const auto b = bars();
    ASSERT_EQ(b.size(), 3u);
    // x = column * 100 + 50; top = (127 - v) * LaneScale
    EXPECT_EQ(b[0].x1, 50);
    EXPECT_EQ(b[0].y1, (127 - 100) * 66);
    EXPECT_EQ(b[1].x1, 550);
    EXPECT_EQ(b[1].y1, 0);
    EXPECT_EQ(b[2].x1, 3150);
    EXPECT_EQ(b[2].y1, 126 * 66);
    for (const DrawItem& d : b) {
        EXPECT_EQ(d.y2, 8400);
        EXPECT_EQ(d.color, 16);
    }
}

TEST_F(LaneBarsTest, SoundingLanesDrawOnlyInSoundingColumns) {
    // Columns 0..7 sound. Column 10 has values but no note; column 3 has value 0.
    test::putNote(song, 28, 0, 8);
    for (int screenIndex : {ScreenPit, ScreenMod, ScreenExp}) {
        SCOPED_TRACE(screenIndex);
        auto& lane = screenIndex == ScreenPit   ? song.part.PitLane
                     : screenIndex == ScreenMod ? song.part.ModLane
                                                : song.part.ExpLane;
        for (int c = 0; c < 32; ++c)
            lane[c] = 90;
        lane[3] = 0;
        screen(screenIndex);
        draw();
        const auto b = bars();
        ASSERT_EQ(b.size(), 7u);
        for (const DrawItem& d : b) {
            const int col = static_cast<int>(d.x1) / 100;
            EXPECT_LT(col, 8);
            EXPECT_NE(col, 3);
            EXPECT_EQ(d.y1, (127 - 90) * 66);
        }
    }
}

TEST_F(LaneBarsTest, PanAndHoldDrawInEveryColumnWithAValue) {
    screen(ScreenPan); // 64 everywhere after a reset
    draw();
    EXPECT_EQ(bars().size(), 32u);
    EXPECT_EQ(bars()[0].y1, 63 * 66);
    screen(ScreenHol); // 0 everywhere
    draw();
    EXPECT_TRUE(bars().empty());
    song.part.HolLane[20] = 127;
    draw();
    ASSERT_EQ(bars().size(), 1u);
    EXPECT_EQ(bars()[0].x1, 2050);
}

TEST_F(LaneBarsTest, LaneBarsFollowTheScrolledColumns) {
    song.part.VelLane[33] = 64;
    ed.view.FirstMeasure = 2;
    HScroll1_Change(song, ed.view, ed.signatures);
    screen(ScreenVel);
    draw();
    ASSERT_EQ(bars().size(), 1u);
    EXPECT_EQ(bars()[0].x1, 150);
}

TEST_F(LaneBarsTest, TempoBarsScaleThreeHundredBeatsToTheFullHeight) {
    // tempo -> top of the bar: ScaleHeight / 300 * (300 - tempo)
    song.TemLane[0] = 300; // full height
    song.TemLane[1] = 120; // 60 % down
    song.TemLane[2] = 1;   // lowest tempo
    song.TemLane[3] = 0;   // no bar
    screen(ScreenTem);
    draw();
    const auto b = bars();
    ASSERT_EQ(b.size(), 31u);
    EXPECT_EQ(b[0].y1, 0);
    EXPECT_FLOAT_EQ(b[1].y1, 5040);
    EXPECT_FLOAT_EQ(b[2].y1, 8372);
    EXPECT_EQ(b[2].x1, 250);
    EXPECT_EQ(b[3].x1, 450); // column 3 is skipped
    for (const DrawItem& d : b)
        EXPECT_EQ(d.color, 17);
}

} // namespace
} // namespace zelk
