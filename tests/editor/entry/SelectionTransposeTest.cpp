#include "editor/entry/SelectionTranspose.h"
#include "editor/EntryFixture.h"
#include "editor/PartInvariants.h"
#include "editor/entry/NotePlacement.h"
#include "editor/entry/PartChange.h"
#include "editor/view/Signatures.h"
#include "model/Cell.h"

namespace zelk {
namespace {

constexpr int32_t S = cell::Sharp, F = cell::Flat;

class TransposeTest : public test::EntryFixture {
protected:
    // Sharps (+count) or flats (-count) from measure `from` on.
    void key(int count, int from = 1) {
        show(from, 1);
        Combo6_Click(song, ed.view, ed.signatures, count < 0 ? 1 : 0);
        Combo7_Click(song, ed.view, ed.signatures, count < 0 ? -count : count);
        show(1, 1);
    }
    struct Written {
        int row;
        int32_t accidental;
        bool operator==(const Written&) const = default;
    };
    // The rows and accidentals of the notes starting in column `col`, by row.
    std::vector<Written> writtenAt(int col) const {
        std::vector<Written> w;
        for (int row = 0; row < kRows; ++row)
            if (auto n = noteStartingAt(song.part.Grid, row, col))
                w.push_back({row, n->accidental});
        return w;
    }
    void selectColumn(int col) {
        std::vector<NoteKey> keys;
        for (const Written& w : writtenAt(col))
            keys.push_back({col, w.row});
        ed.selection.set(song.CurPart, keys);
    }
};

// Rows: 28 is C4, 27 D4, 26 E4, 25 F4, 24 G4, 23 A4, 22 B4; 29 is B3, 31 G3.
TEST_F(TransposeTest, NotesAreRespelledInTheKeyOfTheirMeasure) {
    struct Case {
        int key; // sharps (+) or flats (-) of the note's measure
        std::vector<Written> notes;
        int semitones;
        std::vector<Written> written;
        const char* why;
    } cases[] = {
        {2, {{27, 0}}, 1, {{27, S}}, "D major: D#, the sharp name"},
        {2, {{26, 0}}, 1, {{25, F}}, "D major: F natural, the key's F# row cancelled"},
        {2, {{29, 0}}, 2, {{28, 0}}, "D major: C#, a note of the key"},
        {-1, {{23, 0}}, 1, {{22, 0}}, "F major: Bb, a note of the key"},
        {-1, {{28, 0}}, 1, {{27, F}}, "F major: Db, the flat name"},
        {-1, {{31, 0}}, -1, {{31, F}}, "F major: Gb downwards"},
        {0, {{24, 0}}, 1, {{23, F}}, "C major, alone: Ab"},
        {0,
         {{23, 0}, {24, 0}, {25, S}, {27, 0}},
         2,
         {{22, 0}, {23, 0}, {24, S}, {26, 0}},
         "C major among E, A and B: G#"},
        {2, {{28, F}, {29, 0}}, 1, {{28, 0}, {29, S}}, "C and C# meet on one row: B#"},
        {0, {{0, 0}}, 1, {{0, S}}, "C#8 still has a row"},
    };
    for (const Case& c : cases) {
        song = test::freshSong();
        key(c.key);
        for (const Written& w : c.notes)
            test::putNote(song, w.row, 4, 4, w.accidental);
        selectColumn(4);
        EXPECT_EQ(transposeSelection(ctx, c.semitones).message, "") << c.why;
        EXPECT_EQ(writtenAt(4), c.written) << c.why;
        EXPECT_EQ(ed.selection.notes.size(), c.written.size()) << c.why;
        EXPECT_EQ(test::checkPart(song.part), test::PartFaults{}) << c.why;
    }
}

TEST_F(TransposeTest, EachNoteTakesTheKeyOfItsOwnMeasure) {
    key(2, 2); // D major from measure 2, C major before
    test::putNote(song, 26, 4, 4);
    test::putNote(song, 26, 36, 4);
    ed.selection.set(0, {{4, 26}, {36, 26}});
    transposeSelection(ctx, 1);
    EXPECT_EQ(writtenAt(4), (std::vector<Written>{{25, 0}}));
    EXPECT_EQ(writtenAt(36), (std::vector<Written>{{25, F}}));
}

TEST_F(TransposeTest, KeysBeyondTheRowsAreRefusedAndRhythmPartsMoveByKeys) {
    test::putNote(song, 0, 4, 4);
    test::putNote(song, 30, 4, 4);
    selectColumn(4);
    const NoteGrid before = song.part.Grid;
    EXPECT_EQ(transposeSelection(ctx, 2).message, kNoteOutsideRows); // D8
    EXPECT_TRUE(song.part.Grid == before);
    // Steps of the scale keep the accidental; the key may then alter the new row.
    test::putNote(song, 25, 12, 4, S);
    ed.selection.set(0, {{12, 25}});
    transposeWithForm(ctx, {true, 2});
    EXPECT_EQ(writtenAt(12), (std::vector<Written>{{23, S}}));
    // One row of a rhythm part is one key: 84 - row.
    changePart(ctx, 9);
    test::putNote(song, 40, 4, 4);
    selectColumn(4);
    transposeSelection(ctx, 3);
    EXPECT_EQ(writtenAt(4), (std::vector<Written>{{37, 0}}));
    EXPECT_EQ(transposeSelection(ctx, 40).message, kNoteOutsideRows);
}

TEST_F(TransposeTest, VelocityChangesEachHeadColumnOnceWithinOneTo127) {
    test::putNote(song, 30, 0, 4);
    test::putNote(song, 32, 0, 4); // a chord: one velocity
    test::putNote(song, 30, 8, 4);
    song.part.VelLane[8] = 50;
    ed.selection.set(0, {{0, 30}, {0, 32}, {8, 30}});
    struct Case {
        VelocityChange op;
        int value;
        int col0, col8;
    } cases[] = {
        {VelocityChange::Scale, 50, 50, 25}, // halved once, not once per note of the chord
        {VelocityChange::Add, 100, 127, 125},   {VelocityChange::Add, -200, 1, 1},
        {VelocityChange::Set, 0, 1, 1},         {VelocityChange::Set, 90, 90, 90},
        {VelocityChange::Scale, 133, 120, 120},
    };
    for (const Case& c : cases) {
        changeSelectionVelocity(ctx, c.op, c.value);
        EXPECT_EQ(song.part.VelLane[0], c.col0);
        EXPECT_EQ(song.part.VelLane[8], c.col8);
    }
    EXPECT_EQ(song.part.VelLane[4], 0);
}

} // namespace
} // namespace zelk
