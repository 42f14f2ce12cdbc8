#include "editor/entry/CommitClick.h"
#include "editor/EntryFixture.h"
#include "model/Cell.h"
#include "model/PartFile.h"

#include <filesystem>

namespace zelk {
namespace {

using test::EntryFixture;

constexpr int32_t H = 0x3F, B = 0x40, E = 0x80;
constexpr int32_t TH = 0x203F, TB = 0x1040, TE = 0x4080;

class PlacementTest : public EntryFixture {};

TEST_F(PlacementTest, QuarterNoteSoundsEightColumnsAndEndsInTheNinth) {
    EXPECT_TRUE(click(28, 4).redraw);
    EXPECT_EQ(cells(28, 3, 13), (std::vector<int32_t>{0, H, B, B, B, B, B, B, B, E}));
    EXPECT_EQ(song.part.PartLen, 12);
    EXPECT_EQ(song.Dirty, 1);
}

TEST_F(PlacementTest, ClickOnAnEndMarkStartsANoteThereSharingTheCell) {
    click(28, 0);
    click(28, 8);                  // column 8 holds only the first note's end
    EXPECT_EQ(cell(28, 8), E | H); // 191
    EXPECT_EQ(cells(28, 0, 8), (std::vector<int32_t>{H, B, B, B, B, B, B, B}));
    EXPECT_EQ(cell(28, 16), E);
    EXPECT_EQ(song.part.PartLen, 16);
}

TEST_F(PlacementTest, PlainLengthIsCountedInColumns) {
    // NoteLen (a right-click sum can be any length) -> end mark column for a head at 3
    const int table[][2] = {{1, 4}, {2, 5}, {12, 15}, {28, 31}};
    for (const auto& r : table) {
        song.part = CurrentPart{};
        ed.palette.NoteLen = r[0];
        click(30, 3);
        EXPECT_EQ(cell(30, r[1]), E) << "length " << r[0];
        EXPECT_EQ(cell(30, r[1] - 1), r[0] == 1 ? H : B) << "length " << r[0];
        EXPECT_EQ(song.part.PartLen, r[1]);
    }
}

TEST_F(PlacementTest, TupletNoteSpansItsSlotsAndPassesThroughEveryFourthColumn) {
    // slot, length in slots -> head column, end column; slot k starts at k + k \ 3, and
    // columns 3, 7, 11, ... inside the span are body
    const int table[][4] = {
        {1, 2, 1, 4},  // the quarter at slot 1: body 2 and 3
        {0, 2, 0, 2},  // the first two slots of a group
        {2, 1, 2, 4},  // third slot: sounds through column 3
        {2, 2, 2, 5},  // third slot into the next group
        {0, 3, 0, 4},  // a whole group
        {4, 8, 5, 16}, // a whole tuplet note from the second slot of the second group
        {3, 1, 4, 5},  // first slot of the second group
    };
    tupletMode(true);
    for (const auto& r : table) {
        SCOPED_TRACE(testing::Message() << "slot " << r[0] << " length " << r[1]);
        song.part = CurrentPart{};
        ed.palette.NoteLen = r[1];
        clickSlot(28, r[0]);
        EXPECT_EQ(cell(28, r[2]), TH);
        for (int c = r[2] + 1; c < r[3]; ++c)
            EXPECT_EQ(cell(28, c), TB) << "column " << c;
        EXPECT_EQ(cell(28, r[3]), TE);
        EXPECT_EQ(cell(28, r[3] + 1), 0);
        EXPECT_EQ(song.part.PartLen, r[3]);
    }
}

// Regression: the part length formula for tuplet notes overshot by one column when the
// head was in the third slot of a group.
TEST_F(PlacementTest, TupletNoteInThirdSlotRaisesPartLenToItsEndMark) {
    tupletMode(true);
    clickSlot(28, 2); // quarter = 2 slots: head 2, body 3 and 4, end 5
    EXPECT_EQ(cell(28, 5), TE);
    EXPECT_EQ(song.part.PartLen, 5);
}

// Regression: at the song's end that formula reached column 9601, beyond the lanes.
TEST_F(PlacementTest, TupletNoteAtTheSongsEndKeepsPartLenWithinTheSong) {
    show(300, 1);
    tupletMode(true);
    ed.palette.NoteLen = 1;
    clickSlot(28, 23); // the last slot: column 9598, through 9599, end 9600
    EXPECT_EQ(cell(28, 9598), TH);
    EXPECT_EQ(cell(28, 9599), TB);
    EXPECT_EQ(cell(28, 9600), TE);
    EXPECT_EQ(song.part.PartLen, 9600);
}

TEST_F(PlacementTest, NoteEndingBeyondColumn9600IsRefusedWithTheMeasureCount) {
    show(300, 1);
    ed.palette.NoteLen = 32;
    const uint8_t pos = song.undo.UndoPos;
    const EditOutcome out = click(28, 9569);
    EXPECT_EQ(out.message, "300小節超えて音符を置けません");
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_EQ(song.undo.UndoPos, pos);
    EXPECT_FALSE(ed.menus.Mundo);
    EXPECT_FALSE(click(28, 9568).refused()); // ends exactly at 9600
    EXPECT_EQ(song.part.PartLen, 9600);
}

TEST_F(PlacementTest, TupletNoteWhoseEndWouldPass9600IsRefused) {
    show(300, 1);
    tupletMode(true);
    // slot 23 is column 9598; two slots end at column(25) = 9601
    EXPECT_EQ(clickSlot(28, 23).message, "300小節超えて音符を置けません");
    EXPECT_EQ(cell(28, 9598), 0);
}

TEST_F(PlacementTest, OverlappingNoteIsRefusedSilentlyWithoutRecord) {
    click(28, 8);
    const uint8_t pos = song.undo.UndoPos;
    const auto before = cells(28, 0, 20);
    song.Dirty = 0;
    const EditOutcome out = click(28, 4); // would sound 4..11 over the note at 8
    EXPECT_FALSE(out.refused());
    EXPECT_EQ(cells(28, 0, 20), before);
    EXPECT_EQ(song.undo.UndoPos, pos);
    EXPECT_EQ(song.Dirty, 1);
}

TEST_F(PlacementTest, PlainNoteMayNotStartWhileATupletEndStillSounds) {
    tupletMode(true);
    ed.palette.NoteLen = 1;
    clickSlot(28, 0); // tuplet head 0, end 1 (20 ticks into column 1)
    tupletMode(false);
    click(28, 1);
    EXPECT_EQ(cell(28, 1), TE);
    EXPECT_EQ(cell(28, 2), 0);
}

TEST_F(PlacementTest, PlainNoteMayStartOnATupletEndAtAGroupStart) {
    tupletMode(true);
    clickSlot(28, 1); // ends at column 4, a multiple of 4
    tupletMode(false);
    click(28, 4);
    EXPECT_EQ(cell(28, 4), TE | H);
}

TEST_F(PlacementTest, TupletEndMayNotFallAfterAPlainHeadInsideItsColumn) {
    ed.palette.NoteLen = 1;
    click(28, 1); // plain head at 1
    tupletMode(true);
    ed.palette.NoteLen = 1;
    clickSlot(28, 0); // would end 20 ticks into column 1
    EXPECT_EQ(cell(28, 0), 0);
    clickSlot(30, 0); // another row is free
    EXPECT_EQ(cell(30, 0), TH);
}

TEST_F(PlacementTest, TupletEndMayShareAGroupStartWithAPlainHead) {
    ed.palette.NoteLen = 1;
    click(28, 4);
    tupletMode(true);
    clickSlot(28, 1); // quarter: head 1, end 4
    EXPECT_EQ(cell(28, 1), TH);
    EXPECT_EQ(cell(28, 4), TE | H);
}

TEST_F(PlacementTest, NoteMayCrossTheEndOfItsMeasure) {
    show(1, 2);
    ed.palette.NoteLen = 32;
    EXPECT_FALSE(click(28, 24).refused());
    EXPECT_EQ(cell(28, 24), H);
    EXPECT_EQ(cell(28, 40), B);
    EXPECT_EQ(cell(28, 56), E);
    EXPECT_EQ(song.part.PartLen, 56);
}

class LaneDefaultsTest : public EntryFixture {};

TEST_F(LaneDefaultsTest, NewColumnsSoundWithNeutralLanesAndHeadColumnGetsVelocity100) {
    song.part.PitLane[8] = 3; // stale values of silent columns are overwritten
    click(28, 4);
    for (int c = 4; c < 12; ++c) {
        EXPECT_EQ(song.part.Sounding[c], 1);
        EXPECT_EQ(song.part.PitLane[c], 64);
        EXPECT_EQ(song.part.ModLane[c], 0);
        EXPECT_EQ(song.part.ExpLane[c], 127);
    }
    EXPECT_EQ(song.part.Sounding[12], 0); // the end column does not sound
    EXPECT_EQ(song.part.VelLane[4], 100);
    EXPECT_EQ(song.part.VelLane[5], 0);
}

TEST_F(LaneDefaultsTest, ColumnsAlreadySoundingKeepTheirLaneValues) {
    click(28, 0);
    song.part.PitLane[4] = 5;
    song.part.VelLane[0] = 77;
    click(30, 4); // starts inside the first note
    click(32, 0); // starts with the first note
    EXPECT_EQ(song.part.PitLane[4], 5);
    EXPECT_EQ(song.part.VelLane[0], 77);
    EXPECT_EQ(song.part.VelLane[4], 100);
    EXPECT_EQ(song.part.PitLane[8], 64);
}

class RemovalTest : public EntryFixture {};

TEST_F(RemovalTest, ClickOnBodyRemovesTheWholeNoteAndSilentColumnsReset) {
    click(28, 0);
    ed.palette.NoteLen = 2;
    click(30, 4); // sounds 4 and 5
    for (int c = 0; c < 8; ++c) {
        song.part.PitLane[c] = 10;
        song.part.ModLane[c] = 20;
        song.part.ExpLane[c] = 30;
    }
    click(28, 5);
    EXPECT_EQ(cells(28, 0, 10), std::vector<int32_t>(10, 0));
    for (int c : {0, 1, 2, 3, 6, 7}) {
        SCOPED_TRACE(c);
        EXPECT_EQ(song.part.Sounding[c], 0);
        EXPECT_EQ(song.part.PitLane[c], 64);
        EXPECT_EQ(song.part.ModLane[c], 0);
        EXPECT_EQ(song.part.ExpLane[c], 127);
    }
    for (int c : {4, 5}) { // the other note still sounds there
        EXPECT_EQ(song.part.Sounding[c], 1);
        EXPECT_EQ(song.part.PitLane[c], 10);
    }
    EXPECT_EQ(song.part.VelLane[0], 0);
    EXPECT_EQ(song.part.VelLane[4], 100);
}

TEST_F(RemovalTest, VelocityOfAColumnStaysWhileAnotherNoteStartsThere) {
    click(28, 0);
    click(30, 0);
    song.part.VelLane[0] = 77;
    click(28, 3);
    EXPECT_EQ(song.part.VelLane[0], 77);
    click(30, 3);
    EXPECT_EQ(song.part.VelLane[0], 0);
}

TEST_F(RemovalTest, SharedCellsKeepTheNeighboursLayers) {
    click(28, 0);
    click(28, 8);
    click(28, 16);
    click(28, 12); // the middle note
    EXPECT_EQ(cell(28, 8), E);
    EXPECT_EQ(cell(28, 16), H);
    EXPECT_EQ(cells(28, 9, 16), std::vector<int32_t>(7, 0));
    EXPECT_EQ(song.part.Sounding[12], 0);
    EXPECT_EQ(song.part.Sounding[16], 1);
}

TEST_F(RemovalTest, TupletNoteIsRemovedFromAnyOfItsColumns) {
    tupletMode(true);
    clickSlot(28, 2); // head 2, body 3 and 4, end 5
    tupletMode(false);
    click(28, 3); // the column no slot starts on
    EXPECT_EQ(cells(28, 0, 8), std::vector<int32_t>(8, 0));
    EXPECT_EQ(song.part.PartLen, 0);
}

TEST_F(RemovalTest, PartLenFallsToTheLastRemainingEnd) {
    click(28, 0);
    click(30, 16);
    click(30, 20);
    EXPECT_EQ(song.part.PartLen, 8);
}

TEST_F(RemovalTest, RemovingTheLastNoteDeletesThePartsWorkFile) {
    click(28, 0);
    SavePartFile(song, temp.folder());
    ASSERT_TRUE(std::filesystem::exists(temp.folder().workFile(0)));
    click(28, 1);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(std::filesystem::exists(temp.folder().workFile(0)));
}

TEST_F(RemovalTest, RemovingAnotherNoteKeepsTheWorkFile) {
    click(28, 0);
    click(30, 0);
    SavePartFile(song, temp.folder());
    click(28, 1);
    EXPECT_TRUE(std::filesystem::exists(temp.folder().workFile(0)));
}

class ShiftClickTest : public EntryFixture {};

TEST_F(ShiftClickTest, ShiftLeftClickPlacesASharpNoteAndSoundsIt) {
    click(28, 0, 1, 1);
    EXPECT_EQ(ed.palette.Accidental, 0x100);
    EXPECT_EQ(accidentalText(ed.palette), "♯");
    EXPECT_EQ(cell(28, 0), H | 0x100);
    EXPECT_EQ(cell(28, 1), B | 0x100);
    EXPECT_EQ(cell(28, 8), E | 0x400);
    // note-off of the previous preview, C#4 at the preview velocity, the release's note-off
    EXPECT_EQ(midi.sent,
              (std::vector<uint32_t>{shortMessage(0x80, 0, 0), shortMessage(0x90, 61, 127),
                                     shortMessage(0x80, 61, 0)}));
}

TEST_F(ShiftClickTest, ShiftRightClickPlacesAFlatNote) {
    click(28, 0, 2, 1);
    EXPECT_EQ(ed.palette.Accidental, 0x200);
    EXPECT_EQ(cell(28, 0), H | 0x200);
    EXPECT_EQ(cell(28, 8), E | 0x800);
}

TEST_F(ShiftClickTest, ShiftClickOnANoteRemovesItAndKeepsThePalette) {
    click(28, 0);
    midi.sent.clear();
    click(28, 2, 2, 1);
    EXPECT_EQ(ed.palette.Accidental, 0);
    EXPECT_EQ(cell(28, 0), 0);
    EXPECT_EQ(midi.sent, (std::vector<uint32_t>{shortMessage(0x80, 0, 0)})); // release only
}

TEST_F(ShiftClickTest, RhythmPartTakesNoAccidentalFromShift) {
    song.DrumPart[0] = 1;
    click(40, 0, 1, 1);
    EXPECT_EQ(ed.palette.Accidental, 0);
    EXPECT_EQ(cell(40, 0), H);
}

class AuditionTest : public EntryFixture {};

TEST_F(AuditionTest, RightPressSoundsTheRowWithPaletteAccidentalAndFirstShownMeasuresKey) {
    show(1, 2);
    song.KeyMask[0] = 1; // measure 1 raises every C; measure 2 has no key
    song.KeyShift[0] = 1;
    ed.palette.Accidental = 0x200;
    pressAt(xOfColumn(40), 28, 2); // a column of measure 2
    release(2);
    // C4 (60) flat, raised by the key of measure 1
    EXPECT_EQ(midi.sent,
              (std::vector<uint32_t>{shortMessage(0x90, 60, 127), shortMessage(0x80, 60, 0)}));
    EXPECT_EQ(cell(28, 40), 0);
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(song.undo.UndoPos, 1);
}

TEST_F(AuditionTest, RhythmPartSoundsDrumKeyOnChannel10) {
    song.DrumPart[0] = 1;
    ed.palette.PreviewVelocity = 90;
    pressAt(xOfColumn(3), 40, 2); // ﾊｲﾊｯﾄ2
    release(2);
    EXPECT_EQ(midi.sent,
              (std::vector<uint32_t>{shortMessage(0x99, 44, 90), shortMessage(0x89, 44, 0)}));
}

TEST_F(AuditionTest, RightDragAcrossRowsResoundsOnEveryRowChange) {
    pressAt(xOfColumn(3), 28, 2);
    moveTo(xOfColumn(5), 28, 2); // same row: nothing
    moveTo(xOfColumn(5), 27, 2);
    release(2);
    EXPECT_EQ(midi.sent,
              (std::vector<uint32_t>{shortMessage(0x90, 60, 127), shortMessage(0x80, 60, 0),
                                     shortMessage(0x90, 62, 127), shortMessage(0x80, 62, 0)}));
}

class ClickRecordTest : public EntryFixture {};

TEST_F(ClickRecordTest, PlacementRecordsTheClickAndEnablesUndo) {
    show(2, 1);
    tupletMode(true);
    clickSlot(28, 4); // column 32 + 4 + 1
    ASSERT_EQ(song.undo.UndoPos, 2);
    UndoRecord want;
    want.kind = 0;
    want.column = 36; // ClickCol: before the tuplet correction
    want.row = 28;
    want.tupletBit = 0x1000;
    want.tupletFix = 1;
    want.tupletMode = 1;
    want.tupletShift = 0;
    want.noteLen = 2;
    want.viewCol = 32;
    want.accidental = 0;
    want.firstMeasure = 2;
    want.part = 0;
    want.removedVelocity = -1;
    EXPECT_EQ(song.undo.at(2), want);
    EXPECT_EQ(song.undo.at(3).kind, -1);
    EXPECT_EQ(cell(28, 37), TH);
    EXPECT_TRUE(ed.menus.Mundo);
    EXPECT_FALSE(ed.menus.Mrido);
}

TEST_F(ClickRecordTest, DoubleClickOnAnEmptyCellLeavesItEmptyWithTwoRecords) {
    pressAt(xOfColumn(3), 28);
    release();
    Picture1_DblClick(ctx);
    release();
    EXPECT_EQ(cells(28, 0, 16), std::vector<int32_t>(16, 0));
    EXPECT_EQ(song.undo.UndoPos, 3);
}

} // namespace
} // namespace zelk
