#include "editor/EntryFixture.h"
#include "editor/view/ResizeOutline.h"
#include "model/Cell.h"

namespace zelk {
namespace {

constexpr int32_t H = 0x3F, B = 0x40, E = 0x80;
constexpr int32_t TH = 0x203F, TB = 0x1040, TE = 0x4080;

class NoteResizeTest : public test::EntryFixture {
protected:
    // Grabs the end of the note whose last column is `last` and releases over `to`.
    void dragColumn(int row, int last, int to) { drag(row, xOfColumn(last), xOfColumn(to)); }
};

// While the end is held, an outline follows the pointer; the note waits for the release.
TEST_F(NoteResizeTest, HeldEndShowsAnOutlineToThePointedEnd) {
    click(28, 0);
    const auto before = cells(28, 0, 14);
    pressAt(xOfColumn(7), 28);
    const EditOutcome moved = moveTo(xOfColumn(11), 28);
    EXPECT_TRUE(moved.redraw);
    EXPECT_EQ(cells(28, 0, 14), before);
    DrawList list;
    appendResizeOutline(ed.view, ed.entry, list);
    ASSERT_EQ(list.items.size(), 4u);
    const float oldEnd = 8.0f * ed.view.ColWidth, newEnd = 12.0f * ed.view.ColWidth;
    EXPECT_EQ(list.items[0].x1, oldEnd);
    EXPECT_EQ(list.items[0].x2, newEnd);
    EXPECT_EQ(list.items[3].x1, newEnd);
    EXPECT_EQ(list.items[3].width, 2);
    const float rowY = static_cast<float>((28 - ed.view.TopRow) * ed.view.RowHeight);
    EXPECT_LT(list.items[0].y1, rowY);
    EXPECT_GT(list.items[1].y1, rowY);
    release();
    list.clear();
    appendResizeOutline(ed.view, ed.entry, list);
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(song.part.PartLen, 12);
}

TEST_F(NoteResizeTest, LengtheningGivesTheNewColumnsBodyAndSoundingLanes) {
    click(28, 0);
    const uint8_t pos = song.undo.UndoPos;
    song.Dirty = 0;
    dragColumn(28, 7, 11);
    EXPECT_EQ(cells(28, 0, 14), (std::vector<int32_t>{H, B, B, B, B, B, B, B, B, B, B, B, E, 0}));
    for (int c = 8; c < 12; ++c)
        EXPECT_EQ(song.part.Sounding[c], 1) << c;
    EXPECT_EQ(song.part.PartLen, 12);
    EXPECT_EQ(song.undo.UndoPos, pos); // a resize is not recorded
    EXPECT_EQ(song.Dirty, 1);
}

// Regression: the part length was raised to the pointer's column even when the walk
// stopped at the next note, beyond every end mark of the part.
TEST_F(NoteResizeTest, LengtheningStopsAtTheNextHeadAndPartLenStaysAtTheLastEnd) {
    click(28, 0);
    ed.palette.NoteLen = 2;
    click(28, 12); // sounds 12 and 13, ends at 14
    dragColumn(28, 7, 20);
    EXPECT_EQ(cells(28, 7, 15), (std::vector<int32_t>{B, B, B, B, B, E | H, B, E}));
    EXPECT_EQ(song.part.PartLen, 14);
}

TEST_F(NoteResizeTest, ShorteningClearsTheCutColumnsAndLowersPartLen) {
    click(28, 0);
    dragColumn(28, 7, 3);
    EXPECT_EQ(cells(28, 0, 9), (std::vector<int32_t>{H, B, B, B, E, 0, 0, 0, 0}));
    for (int c = 4; c < 8; ++c) {
        EXPECT_EQ(song.part.Sounding[c], 0) << c;
        EXPECT_EQ(song.part.ExpLane[c], 127) << c;
    }
    EXPECT_EQ(song.part.PartLen, 4);
}

TEST_F(NoteResizeTest, DraggingLeftPastTheHeadLeavesAOneColumnNote) {
    click(28, 4);
    dragColumn(28, 11, 1);
    EXPECT_EQ(cells(28, 3, 8), (std::vector<int32_t>{0, H, E, 0, 0}));
    EXPECT_EQ(song.part.PartLen, 5);
}

TEST_F(NoteResizeTest, ShorteningKeepsTheFollowingNotesHead) {
    click(28, 0);
    click(28, 8);
    dragColumn(28, 7, 5);
    EXPECT_EQ(cells(28, 5, 10), (std::vector<int32_t>{B, E, 0, H, B}));
}

TEST_F(NoteResizeTest, ReleasingOnTheGrabbedColumnRemovesTheNote) {
    click(28, 0);
    pressAt(xOfColumn(7), 28);
    EXPECT_EQ(ed.entry.Grabbed, 1);
    release();
    EXPECT_EQ(ed.entry.Grabbed, 0);
    EXPECT_EQ(cells(28, 0, 9), std::vector<int32_t>(9, 0));
    EXPECT_EQ(song.undo.UndoPos, 3); // the placement and the removal
}

TEST_F(NoteResizeTest, AccidentalOfTheNoteCarriesOverToNewColumns) {
    Command2_Click(ed.palette, 1);
    click(28, 0);
    Command3_Click(ed.palette);
    dragColumn(28, 7, 9);
    EXPECT_EQ(cell(28, 9), B | 0x200);
    EXPECT_EQ(cell(28, 10), E | 0x800);
}

TEST_F(NoteResizeTest, GrabbingAPlainEndLeavesTupletMode) {
    click(28, 0);
    tupletMode(true);
    const EditOutcome out = pressAt(xOfColumn(7), 28);
    EXPECT_EQ(ed.palette.TupletMode, 0);
    EXPECT_EQ(ed.palette.NoteLen, 8);
    EXPECT_TRUE(out.relayout);
    EXPECT_TRUE(out.paletteChanged);
    release();
}

TEST_F(NoteResizeTest, TupletNoteLengthensSlotBySlot) {
    tupletMode(true);
    clickSlot(28, 0); // head 0, body 1, end 2
    tupletMode(false);
    pressAt(xOfSlot(1), 28); // the note's last slot: grabbing switches tuplet mode on
    EXPECT_EQ(ed.entry.Grabbed, 1);
    EXPECT_EQ(ed.palette.TupletMode, 1);
    redraw();
    moveTo(xOfSlot(4), 28); // slot 4 is column 5
    release();
    EXPECT_EQ(cells(28, 0, 8), (std::vector<int32_t>{TH, TB, TB, TB, TB, TB, TE, 0}));
    EXPECT_EQ(song.part.PartLen, 6);
}

TEST_F(NoteResizeTest, TupletNoteStopsBeforeAPlainHeadThatWouldStartWhileItSounds) {
    ed.palette.NoteLen = 1;
    click(28, 3); // plain head at 3, end 4
    tupletMode(true);
    ed.palette.NoteLen = 1;
    clickSlot(28, 0); // head 0, end 1
    pressAt(xOfSlot(0), 28);
    moveTo(xOfSlot(2), 28);
    release();
    EXPECT_EQ(cells(28, 0, 5), (std::vector<int32_t>{TH, TB, TE, H, E}));
    EXPECT_EQ(song.part.PartLen, 4);
}

TEST_F(NoteResizeTest, TupletNoteShortenedToTheThirdSlotSoundsThroughColumn3) {
    tupletMode(true);
    clickSlot(28, 2); // head 2, body 3 and 4, end 5
    pressAt(xOfSlot(3), 28);
    EXPECT_EQ(ed.entry.GrabCol, 4);
    moveTo(xOfSlot(1), 28);
    release();
    EXPECT_EQ(cells(28, 2, 6), (std::vector<int32_t>{TH, TB, TE, 0}));
    EXPECT_EQ(song.part.Sounding[3], 1); // sounds again after the cut cleared it
    EXPECT_EQ(song.part.Sounding[4], 0);
    EXPECT_EQ(song.part.PartLen, 4);
}

// Regression: the resize wrote the cells of the palette's tuplet mode, so pressing the
// tuplet key while holding a note gave it plain body cells behind a tuplet head.
TEST_F(NoteResizeTest, HeldNoteKeepsItsKindWhenTheTupletKeyIsPressed) {
    tupletMode(true);
    clickSlot(28, 0); // head 0, body 1, end 2
    pressAt(xOfSlot(1), 28);
    tupletMode(false); // the tuplet key while holding
    moveTo(xOfColumn(6), 28);
    release();
    // column 7 cannot carry a tuplet end: the note sounds through it
    EXPECT_EQ(cells(28, 0, 10), (std::vector<int32_t>{TH, TB, TB, TB, TB, TB, TB, TB, TE, 0}));
    EXPECT_EQ(song.part.PartLen, 8);
}

// Regression: a pointer beyond the song's last column let the note run past the grid.
TEST_F(NoteResizeTest, LengtheningTowardsAPointerPastTheSongsEndEndsAtColumn9600) {
    show(294, 7);
    ed.view.ScaleWidth = 3000; // 13 twips per column: the right edge is column 9606
    redraw();
    click(28, 9590);
    ASSERT_EQ(cell(28, 9598), E);
    drag(28, xOfColumn(9597), 3000);
    EXPECT_EQ(cell(28, 9599), B);
    EXPECT_EQ(cell(28, 9600), E);
    EXPECT_EQ(cell(28, 9601), 0);
    EXPECT_EQ(song.part.PartLen, 9600);
}

TEST_F(NoteResizeTest, PointerShowsResizeOverALastColumnAndWhileHolding) {
    click(28, 0);
    moveTo(xOfColumn(7), 28);
    EXPECT_EQ(ed.entry.MousePointer, PointerSizeWE);
    moveTo(xOfColumn(6), 28);
    EXPECT_EQ(ed.entry.MousePointer, PointerDefault);
    pressAt(xOfColumn(7), 28);
    moveTo(xOfColumn(20), 30);
    EXPECT_EQ(ed.entry.MousePointer, PointerSizeWE);
    release();
}

TEST_F(NoteResizeTest, PointerShowsResizeOverATupletNotesLastSlot) {
    tupletMode(true);
    ed.palette.NoteLen = 1;
    clickSlot(28, 2); // one slot covering columns 2 and 3, end 4
    tupletMode(false);
    moveTo(xOfSlot(2), 28);
    EXPECT_EQ(ed.entry.MousePointer, PointerSizeWE);
    moveTo(xOfSlot(1), 28);
    EXPECT_EQ(ed.entry.MousePointer, PointerDefault);
}

} // namespace
} // namespace zelk
