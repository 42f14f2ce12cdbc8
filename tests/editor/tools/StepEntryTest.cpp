#include "editor/tools/StepEntry.h"
#include "editor/EditingFixture.h"

#include "editor/entry/CommitClick.h"
#include "editor/entry/KeyboardCommands.h"
#include "editor/entry/NotePlacement.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/session/SongReset.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "platform/GzipCompressor.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

uint32_t noteOn(int key, int velocity, int channel = 0) {
    return static_cast<uint32_t>(0x90 | channel | (key << 8) | (velocity << 16));
}

class StepEntryTest : public test::EditingFixture {
protected:
    StepEntryTest() {
        ResetSong(song, ed);
        ed.view.FirstMeasure = 1;
        HScroll1_Change(song, ed.view, ed.signatures);
        ed.palette.NoteLen = 8; // a quarter note
        setStepEntry(ctx, true);
    }
    EditOutcome play(std::vector<uint32_t> keys, double atMs) {
        return takeMidiInput(ctx, keys, atMs);
    }
    bool head(int row, int col) const { return song.part.Grid(row, col) & cell::Head; }
    void key(int count, int kind) {
        Combo6_Click(song, ed.view, ed.signatures, kind);
        Combo7_Click(song, ed.view, ed.signatures, count);
    }
};

TEST_F(StepEntryTest, KeysAreSpelledAsTheMeasuresKeySignatureWritesThem) {
    struct Case {
        int sharps, flats, key, row;
        int32_t accidental;
        const char* what;
    } cases[] = {
        {0, 0, 60, 28, 0, "C major: middle C"},
        {0, 0, 61, 28, cell::Sharp, "C major: a black key is a sharp"},
        {2, 0, 66, 25, 0, "D major: F sharp needs no accidental"},
        {2, 0, 65, 25, cell::Flat, "D major: F natural, not E sharp"},
        {2, 0, 61, 28, 0, "D major: C sharp from the signature"},
        {0, 1, 70, 22, 0, "F major: B flat from the signature"},
        {0, 1, 71, 22, cell::Sharp, "F major: B natural"},
        {0, 1, 61, 27, cell::Flat, "F major: D flat"},
        {0, 0, 108, 0, 0, "the top row"},
        {0, 0, 12, 56, 0, "the bottom row"},
    };
    for (const Case& c : cases) {
        key(c.sharps > 0 ? c.sharps : c.flats, c.flats > 0 ? 1 : 0);
        const auto s = spellKey(song, 0, c.key, 0);
        ASSERT_TRUE(s) << c.what;
        EXPECT_EQ(*s, (SpelledKey{c.row, c.accidental})) << c.what;
    }
    EXPECT_FALSE(spellKey(song, 0, 10, 0)) << "below the grid, even with a flat";
    EXPECT_FALSE(spellKey(song, 0, 110, 0)) << "above the grid";
    EXPECT_EQ(spellKey(song, 9, 46, 0), (SpelledKey{38, 0})) << "the open hi-hat's row";
}

TEST_F(StepEntryTest, AChordIsOneStepOfThePalettesLengthAndOneUndo) {
    play({noteOn(60, 70), noteOn(64, 90)}, 0);
    play({noteOn(67, 80)}, 20);
    EXPECT_TRUE(stepEntryTick(ctx, 25).message.empty());
    EXPECT_FALSE(head(28, 0)) << "the chord is still open";
    stepEntryTick(ctx, 31);
    for (int row : {28, 26, 24})
        EXPECT_TRUE(head(row, 0)) << row;
    EXPECT_EQ(song.part.VelLane[0], 90) << "the loudest key";
    EXPECT_EQ(ed.step.column, 8);
    EXPECT_EQ(song.Dirty, 1);
    play({noteOn(62, 50)}, 100); // a key of its own, 80 ms later
    stepEntryTick(ctx, 131);
    EXPECT_TRUE(head(27, 8));
    EXPECT_EQ(ed.step.column, 16);

    undoInStepEntry(ctx); // the undo command right after a step: the step and its column
    EXPECT_FALSE(head(27, 8));
    EXPECT_EQ(ed.step.column, 8);
    EXPECT_TRUE(head(28, 0));
    stepRest(ctx); // a rest since: the ordinary undo, and the column stays
    undoInStepEntry(ctx);
    EXPECT_EQ(ed.step.column, 16);

    for (int row : {28, 26, 24})
        EXPECT_FALSE(head(row, 0)) << "one undo takes the whole chord";
    Mrido_Click(ctx);
    for (int row : {28, 26, 24})
        EXPECT_TRUE(head(row, 0)) << "and one redo brings it back";
    EXPECT_EQ(song.part.VelLane[0], 90) << "as played";
    EXPECT_FALSE(head(27, 8));
}

TEST_F(StepEntryTest, KeysSoundOnTheCurrentPartsChannelAndOnlyKeysPedalAndWheelPass) {
    song.CurPart = 4;
    setStepEntry(ctx, false);
    play({noteOn(60, 70, 0), 0x00403C80u, 0x007F40B2u, 0x00100707B0u & 0xFFFFFF, 0x004000E1u,
          0x0005C0u},
         0);
    EXPECT_EQ(midi.sent,
              (std::vector<uint32_t>{noteOn(60, 70, 4), 0x00403C84u, 0x007F40B4u, 0x004000E4u}));
    EXPECT_FALSE(head(28, 0)) << "step entry off: nothing written";

    // Held across a part switch: the release and the pedal's going up reach the channel the
    // key and the pedal went down on, so nothing hangs there.
    midi.sent.clear();
    play({noteOn(62, 70), 0x007F40B0u}, 10);
    song.CurPart = 6;
    play({noteOn(62, 0), 0x000040B0u, noteOn(64, 70)}, 20);
    EXPECT_EQ(midi.sent, (std::vector<uint32_t>{noteOn(62, 70, 4), 0x7F40B4u, noteOn(62, 0, 4),
                                                0x40B4u, 0x40B6u, noteOn(64, 70, 6)}));
}

TEST_F(StepEntryTest, BackSpaceAfterAnUndoOnlyMovesTheColumnBack) {
    play({noteOn(60, 70)}, 0);
    stepEntryTick(ctx, 40);
    play({noteOn(62, 70)}, 100);
    stepEntryTick(ctx, 140);
    Mundo_Click(ctx); // the ordinary undo took the second step's note
    EXPECT_FALSE(head(27, 8));
    stepBack(ctx);
    EXPECT_EQ(ed.step.column, 8);
    EXPECT_TRUE(head(28, 0)) << "the first step's note is not undone in its place";
}

TEST_F(StepEntryTest, RestsBackSpaceAndANoteAlreadyThere) {
    test::putNote(song, 26, 8, 8);
    stepRest(ctx);
    EXPECT_EQ(ed.step.column, 8);
    play({noteOn(64, 100), noteOn(60, 100)}, 0);
    stepEntryTick(ctx, 40);
    EXPECT_TRUE(head(26, 8)) << "the note there stays";
    EXPECT_TRUE(head(28, 8));
    EXPECT_EQ(ed.step.column, 16);
    stepBack(ctx);
    EXPECT_EQ(ed.step.column, 8);
    EXPECT_FALSE(head(28, 8));
    EXPECT_TRUE(head(26, 8)) << "BackSpace undid only what the step placed";
    stepBack(ctx);
    EXPECT_EQ(ed.step.column, 0) << "a rest goes back without an undo";
    EXPECT_TRUE(head(26, 8));

    // A key on a note already there: refused as an overlap, the column stays; BackSpace
    // keeps the palette's length (an undo would reset it to a quarter).
    ed.palette.NoteLen = 4;
    ed.step.column = 8;
    play({noteOn(64, 100)}, 200);
    EXPECT_EQ(stepEntryTick(ctx, 240).message, kNotesOverlap);
    EXPECT_EQ(ed.step.column, 8);
    play({noteOn(67, 100)}, 300);
    stepEntryTick(ctx, 340);
    EXPECT_EQ(ed.step.column, 12);
    stepBack(ctx);
    EXPECT_EQ(ed.palette.NoteLen, 4);

    // Over a selection the plain arrow is still the entry column's; Ctrl+arrow the notes'.
    selectAllNotes(ctx);
    EXPECT_EQ(Picture1_KeyDown(ctx, 39, 0).step, StepCommand::Right);
    EXPECT_EQ(Picture1_KeyDown(ctx, 38, 2).step, StepCommand::None);
    EXPECT_TRUE(head(25, 8)) << "Ctrl+up moved the selected note a step";
}

TEST_F(StepEntryTest, TheSongEndRefusesAndTupletStepsKeepToTheSlots) {
    setEntryColumn(ctx, kMaxSongCols - 4);
    play({noteOn(60, 100)}, 0);
    const EditOutcome refused = stepEntryTick(ctx, 40);
    EXPECT_NE(refused.message.find("小節超えて音符を置けません"), std::string::npos);
    EXPECT_EQ(ed.step.column, kMaxSongCols - 4);
    EXPECT_FALSE(head(28, kMaxSongCols - 4));

    ed.palette.TupletMode = 1;
    ed.palette.NoteLen = 1; // one slot: three in the room of four columns
    setEntryColumn(ctx, 0);
    std::vector<int32_t> heads;
    for (int i = 0; i < 4; ++i) {
        heads.push_back(ed.step.column);
        play({noteOn(60, 100)}, 100.0 * i);
        stepEntryTick(ctx, 100.0 * i + 40);
    }
    EXPECT_EQ(heads, (std::vector<int32_t>{0, 1, 2, 4}));
    for (int32_t c : heads)
        EXPECT_TRUE(song.part.Grid(28, c) & cell::TupletHead) << c;
    setEntryColumn(ctx, 7);
    EXPECT_EQ(ed.step.column, 6) << "no slot starts on the fourth column";
}

} // namespace
} // namespace zelk
