#include "editor/tools/UndoRedo.h"
#include "editor/EntryFixture.h"
#include "model/PartSwitch.h"
#include "storage/Snapshots.h"

namespace zelk {
namespace {

constexpr int32_t H = 0x3F;

class UndoRedoTest : public test::EntryFixture {
protected:
    EditOutcome undo() { return Mundo_Click(ctx); }
    EditOutcome redo() { return Mrido_Click(ctx); }

    // The part as a removal and a placement touch it.
    struct PartImage {
        NoteGrid grid;
        ByteLane sounding, vel, pit, mod, exp;
        int32_t partLen;
        bool operator==(const PartImage&) const = default;
    };
    PartImage image() const {
        const CurrentPart& p = song.part;
        return {p.Grid, p.Sounding, p.VelLane, p.PitLane, p.ModLane, p.ExpLane, p.PartLen};
    }

    // One thirty-second note per click, each in its own cell: n records.
    void placeSmallNotes(int n) {
        ed.palette.NoteLen = 1;
        for (int i = 0; i < n; ++i)
            click(smallNoteRow(i), smallNoteCol(i));
    }
    static int smallNoteRow(int i) { return 14 + i % 29; }
    static int smallNoteCol(int i) { return (i / 29) * 2; }
};

TEST_F(UndoRedoTest, PlaceUndoRedoReturnsToThePlacement) {
    click(28, 3);
    const PartImage placed = image();
    undo();
    EXPECT_EQ(song.part.Grid, NoteGrid());
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_EQ(song.undo.UndoPos, 1);
    EXPECT_FALSE(ed.menus.Mundo);
    EXPECT_TRUE(ed.menus.Mrido);
    redo();
    EXPECT_EQ(image(), placed);
    EXPECT_EQ(song.undo.UndoPos, 2);
    EXPECT_TRUE(ed.menus.Mundo);
    EXPECT_FALSE(ed.menus.Mrido);
    EXPECT_EQ(song.undo.InUndo, 0);
}

// Regression: a removal recorded the palette of the moment, so undoing it placed a note
// of the palette's length, accidental and kind instead of the deleted one.
TEST_F(UndoRedoTest, UndoingARemovalBringsBackTheDeletedNoteItself) {
    tupletMode(true);
    Command2_Click(ed.palette, 0);
    ed.palette.NoteLen = 3;
    clickSlot(28, 4); // sharp tuplet note of three slots, head at column 5
    song.part.VelLane[5] = 90;
    song.part.PitLane[6] = 20; // drawn in the lanes of its columns
    song.part.ExpLane[8] = 40;
    const PartImage before = image();
    tupletMode(false);
    Command3_Click(ed.palette);
    ed.palette.NoteLen = 32;
    click(28, 6); // removes it from a body column
    ASSERT_EQ(song.part.Grid(28, 5), 0);
    undo();
    EXPECT_EQ(image(), before);
    redo();
    EXPECT_EQ(song.part.Grid, NoteGrid());
    EXPECT_EQ(song.part.VelLane[5], 0);
    undo();
    EXPECT_EQ(image(), before);
}

TEST_F(UndoRedoTest, VelocityOfAColumnWithAnotherHeadIsLeftAlone) {
    click(28, 0);
    click(30, 0);
    song.part.VelLane[0] = 90;
    click(28, 2);
    song.part.VelLane[0] = 70; // changed after the removal: the column kept its own value
    undo();
    EXPECT_EQ(song.part.Grid(28, 0), H);
    EXPECT_EQ(song.part.VelLane[0], 70);
}

TEST_F(UndoRedoTest, NewClickAfterUndoCutsOffRedo) {
    click(28, 0);
    click(28, 8);
    undo();
    click(30, 0);
    EXPECT_FALSE(ed.menus.Mrido);
    const PartImage now = image();
    redo();
    EXPECT_EQ(image(), now);
    EXPECT_EQ(song.undo.UndoPos, 3);
}

TEST_F(UndoRedoTest, UndoReturnsToTheRecordedPartAndMeasure) {
    click(28, 3);
    switchPart(song, temp.folder(), midi, 3, 0);
    show(5, 1);
    const EditOutcome out = undo();
    EXPECT_EQ(song.CurPart, 0);
    EXPECT_EQ(ed.view.FirstMeasure, 1);
    EXPECT_EQ(ed.view.ViewCol, 0);
    EXPECT_EQ(song.part.Grid(28, 3), 0);
    EXPECT_TRUE(out.partChanged);
    EXPECT_TRUE(out.positionChanged);
    EXPECT_TRUE(out.redraw);
}

TEST_F(UndoRedoTest, PaletteEndsOnTheQuarterNoteOfTheReplayedKind) {
    tupletMode(true);
    ed.palette.NoteLen = 5;
    clickSlot(28, 0);
    tupletMode(false);
    ed.palette.NoteLen = 12;
    ed.palette.NoteLenText = "４+８";
    undo();
    EXPECT_EQ(ed.palette.TupletMode, 1);
    EXPECT_EQ(ed.palette.NoteLen, 2);
    EXPECT_EQ(ed.palette.NoteLenText, "４");
    redo();
    EXPECT_EQ(ed.palette.NoteLen, 2);
    EXPECT_EQ(song.part.Grid(28, 6), 0x4080); // five slots from column 0
}

TEST_F(UndoRedoTest, ReplaySetsDirtyAndWritesNoRecord) {
    click(28, 0);
    song.Dirty = 0;
    undo();
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(song.undo.at(2).kind, 0); // still there to be redone
    EXPECT_EQ(song.undo.at(3).kind, -1);
}

// Regression: the replay took the Shift state of the last real press, so redoing a plain
// note after a Shift-click turned it into a sharp one and sounded it.
TEST_F(UndoRedoTest, ReplayIgnoresTheShiftOfTheLastPress) {
    click(30, 0);
    click(30, 3, 1, 1); // Shift-click removes the note
    midi.sent.clear();
    undo();
    EXPECT_EQ(song.part.Grid(30, 0), H);
    undo();
    redo();
    EXPECT_EQ(song.part.Grid(30, 0), H);
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(UndoRedoTest, DisabledItemsDoNothing) {
    EXPECT_FALSE(undo().redraw);
    EXPECT_FALSE(redo().redraw);
    click(28, 0);
    EXPECT_FALSE(redo().redraw);
    EXPECT_EQ(song.undo.UndoPos, 2);
}

TEST_F(UndoRedoTest, RingWrapsFrom1To255AndKeeps254Records) {
    placeSmallNotes(260); // UndoPos = 260 mod 255 + 1 = 6, the chain's end mark at 7
    ASSERT_EQ(song.undo.UndoPos, 6);
    for (int i = 0; i < 5; ++i)
        undo();
    EXPECT_EQ(song.undo.UndoPos, 1);
    EXPECT_TRUE(ed.menus.Mundo);
    undo();
    EXPECT_EQ(song.undo.UndoPos, 255);
    for (int i = 6; i < 254; ++i)
        undo();
    EXPECT_EQ(song.undo.UndoPos, 7);
    EXPECT_FALSE(ed.menus.Mundo);
    for (int i = 0; i < 260; ++i) // the six oldest clicks cannot be undone any more
        EXPECT_EQ(song.part.Grid(smallNoteRow(i), smallNoteCol(i)) == H, i < 6) << i;
    while (song.undo.UndoPos != 255)
        redo();
    redo();
    EXPECT_EQ(song.undo.UndoPos, 1);
    while (ed.menus.Mrido)
        redo();
    EXPECT_EQ(song.undo.UndoPos, 6);
    for (int i = 0; i < 260; ++i)
        EXPECT_EQ(song.part.Grid(smallNoteRow(i), smallNoteCol(i)), H) << i;
}

class SnapshotUndoTest : public UndoRedoTest {
protected:
    void snapshot() { recordSnapshot(song, temp.folder(), gzip, {0, 1, 0}); }
};

TEST_F(SnapshotUndoTest, UndoLoadsTheSnapshotBeforeAndRedoTheOneAfter) {
    click(28, 0);
    snapshot();
    test::putNote(song, 30, 8, 8); // what a measure copy would write
    snapshot();
    const PartImage after = image();
    ed.menus = {true, false};
    show(4, 1);
    const EditOutcome out = undo();
    EXPECT_TRUE(out.songReplaced);
    EXPECT_EQ(song.undo.UndoPos, 2);
    EXPECT_EQ(song.part.Grid(28, 0), H);
    EXPECT_EQ(song.part.Grid(30, 8), 0);
    EXPECT_EQ(ed.view.FirstMeasure, 1);
    EXPECT_TRUE(ed.menus.Mundo);
    EXPECT_TRUE(ed.menus.Mrido);
    redo();
    EXPECT_EQ(song.undo.UndoPos, 4);
    EXPECT_EQ(image().grid, after.grid);
    EXPECT_FALSE(ed.menus.Mrido);
    undo();
    undo(); // then the click before the copy
    EXPECT_EQ(song.part.Grid, NoteGrid());
    EXPECT_FALSE(ed.menus.Mundo);
}

// Regression: once the ring wrapped, the chain's end mark could overwrite the first
// snapshot of the oldest pair, and undo went on to load snapshot "undo-1".
TEST_F(SnapshotUndoTest, PairWhoseFirstSnapshotWasOverwrittenEndsTheChain) {
    snapshot(); // positions 2 and 3
    snapshot();
    ed.menus = {true, false};
    placeSmallNotes(253); // the end mark lands on position 2
    ASSERT_EQ(song.undo.UndoPos, 1);
    ASSERT_EQ(song.undo.at(2).kind, -1);
    for (int i = 0; i < 253; ++i)
        undo();
    EXPECT_EQ(song.undo.UndoPos, 3);
    EXPECT_FALSE(ed.menus.Mundo);
    EXPECT_NO_THROW(undo());
    EXPECT_EQ(song.undo.UndoPos, 3);
}

} // namespace
} // namespace zelk
