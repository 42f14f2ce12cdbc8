#include "model/Cell.h"
#include "model/RowTables.h"
#include "model/Song.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using test::freshSong;

TEST(RowTables, RowNotesRunDiatonicallyFromC8ToC0) {
    const int expected[57] = {108, 107, 105, 103, 101, 100, 98, 96, 95, 93, 91, 89, 88, 86, 84,
                              83,  81,  79,  77,  76,  74,  72, 71, 69, 67, 65, 64, 62, 60, 59,
                              57,  55,  53,  52,  50,  48,  47, 45, 43, 41, 40, 38, 36, 35, 33,
                              31,  29,  28,  26,  24,  23,  21, 19, 17, 16, 14, 12};
    for (int r = 0; r < 57; ++r)
        EXPECT_EQ(RowNote(r), expected[r]) << "row " << r;
}

TEST(RowTables, DrumNamesCoverRows3To49Only) {
    EXPECT_EQ(DrumName(3), "ﾄﾗｲｱﾝｸﾞﾙ1");
    EXPECT_EQ(DrumName(44), "ｽﾈｱﾄﾞﾗﾑ1");
    EXPECT_EQ(DrumName(49), "ﾊﾞｽﾄﾞﾗﾑ2");
    for (int r : {0, 1, 2, 50, 56})
        EXPECT_EQ(DrumName(r), "") << "row " << r;
    for (int r = 3; r <= 49; ++r)
        EXPECT_FALSE(DrumName(r).empty()) << "row " << r;
}

TEST(RowTables, RowsOutsideTheGridAreRefused) {
    EXPECT_THROW(RowNote(-1), std::out_of_range);
    EXPECT_THROW(RowNote(57), std::out_of_range);
    EXPECT_THROW(DrumName(57), std::out_of_range);
}

TEST(Measures, SumsAndColumnLookupAfterReset) {
    Song s = freshSong();
    EXPECT_EQ(s.MeasureCount(), 300);
    EXPECT_EQ(s.SumMeasureLen(0), 0);
    EXPECT_EQ(s.SumMeasureLen(1), 32);
    EXPECT_EQ(s.SumMeasureLen(300), 9600);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(0), 1);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(31), 1);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(32), 2);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(9599), 300);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(9600), 301); // past the last measure
}

TEST(Measures, SumsFollowChangedLengths) {
    Song s = freshSong();
    s.MeasureLen.setLen(2, 12); // 3/8
    EXPECT_EQ(s.SumMeasureLen(2), 44);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(43), 2);
    EXPECT_EQ(s.MeasureLen.measureOfColumn(44), 3);
    s.MeasureLen.resize(2);
    EXPECT_EQ(s.SumMeasureLen(2), 44);
    EXPECT_THROW(s.SumMeasureLen(3), std::out_of_range);
    EXPECT_THROW(s.MeasureLen.setLen(0, 8), std::out_of_range);
}

TEST(SongReset, GivesTheEmptySong) {
    Song s = freshSong();
    EXPECT_EQ(s.SongTitle, "title");
    EXPECT_EQ(s.SongCopyright, "Copyright(C) by ?");
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(s.DrumPart[p], p == 9 ? 1 : 0);
    for (int x = 0; x <= 9600; ++x) {
        ASSERT_EQ(s.TemLane[x], 120);
        ASSERT_EQ(s.part.PanLane[x], 64);
    }
    EXPECT_EQ(s.part.PartReverb, 40);
    EXPECT_EQ(s.undo.UndoPos, 1);
    EXPECT_EQ(s.undo.at(1).kind, -1);
    EXPECT_EQ(s.KeyMask.size(), 301u);
    EXPECT_EQ(s.TempoIndex, 119);
}

TEST(SongReset, NewSongKeepsPitchAndExpressionLanes) {
    Song s = freshSong();
    s.part.PitLane[5] = 10;
    s.part.ExpLane[5] = 20;
    s.part.VelLane[5] = 30;
    s.part.Grid(3, 5) = 63;
    clearForNewSong(s);
    resetSongModel(s);
    EXPECT_EQ(s.part.PitLane[5], 10);
    EXPECT_EQ(s.part.ExpLane[5], 20);
    EXPECT_EQ(s.part.VelLane[5], 0);
    EXPECT_EQ(s.part.Grid(3, 5), 0);
}

TEST(Cells, BackToBackNotesShareTheBoundaryCell) {
    Song s = freshSong();
    test::putNote(s, 28, 0, 8);
    test::putNote(s, 28, 8, 8);
    EXPECT_EQ(s.part.Grid(28, 8), 191);
    EXPECT_TRUE(cell::isPlainHead(191));
    EXPECT_TRUE(cell::isPlainEnd(191));
    EXPECT_FALSE(cell::isTupletEnd(191));
    EXPECT_EQ(s.part.PartLen, 16);
}

TEST(Cells, GridAccessOutsideIsChecked) {
    NoteGrid g;
    EXPECT_THROW(g(57, 0), std::out_of_range);
    EXPECT_THROW(g(0, 9602), std::out_of_range);
    EXPECT_NO_THROW(g(56, 9601));
    ByteLane lane;
    EXPECT_THROW(lane[9601], std::out_of_range);
}

// Sounding keys: accidentals act relative to the key signature.
TEST(Pitch, AccidentalsAndKeySignatures) {
    Song s = freshSong();
    const int rowE4 = 26; // 64, step E (26 % 7 == 5)
    EXPECT_EQ(headKey(s, 0, rowE4, 0, 63), 64);
    EXPECT_EQ(headKey(s, 0, rowE4, 0, 63 | cell::Sharp), 65);
    EXPECT_EQ(headKey(s, 0, rowE4, 0, 63 | cell::Flat), 63);
    // Measure 2 gets a key lowering E (B flat major, E flat: mask bit 5 set).
    s.KeyMask[1] = 34 | 128;
    s.KeyShift[1] = -1;
    EXPECT_EQ(headKey(s, 0, rowE4, 32, 63), 63);
    EXPECT_EQ(headKey(s, 0, rowE4, 32, 63 | cell::Sharp), 64); // sharp on a lowered step
    EXPECT_EQ(headKey(s, 0, rowE4, 31, 63), 64);               // still measure 1
    // An end in the first column of measure 2 takes measure 1's key.
    EXPECT_EQ(endKey(s, 0, rowE4, 32, cell::End), 64);
    EXPECT_EQ(endKey(s, 0, rowE4, 33, cell::End), 63);
    EXPECT_EQ(endKey(s, 0, rowE4, 33, cell::End | cell::EndSharp), 64);
}

TEST(Pitch, RhythmPartsUseDrumKeys) {
    Song s = freshSong();
    EXPECT_EQ(headKey(s, 9, 44, 0, 63 | cell::Sharp), 40);
    EXPECT_EQ(headKey(s, 9, 0, 0, 63), 84);
    EXPECT_EQ(channelOf(s, 9), 9);
    s.DrumPart[9] = 0; // part 9 still plays channel index 9
    EXPECT_EQ(channelOf(s, 9), 9);
    EXPECT_TRUE(usesRhythmKeys(s, 9));
    s.DrumPart[3] = 1;
    EXPECT_EQ(channelOf(s, 3), 9);
    EXPECT_EQ(endKey(s, 3, 56, 8, cell::End), 28);
}

TEST(UndoRingArithmetic, WrapsFrom255To1) {
    EXPECT_EQ(UndoRing::next(1), 2);
    EXPECT_EQ(UndoRing::next(254), 255);
    EXPECT_EQ(UndoRing::next(255), 1);
    EXPECT_EQ(UndoRing::prev(1), 255);
    EXPECT_EQ(UndoRing::prev(2), 1);
}

TEST(UndoRingArithmetic, PushCutsTheRedoChainAndWraps) {
    UndoRing u;
    u.clear();
    u.resetChain();
    for (int i = 0; i < 300; ++i) {
        UndoRecord r;
        r.column = i;
        u.push(r);
        ASSERT_EQ(u.at(u.UndoPos).column, i);
        ASSERT_EQ(u.at(UndoRing::next(u.UndoPos)).kind, -1);
    }
    EXPECT_EQ(u.UndoPos, 300 % 255 + 1);
    EXPECT_THROW(u.at(0), std::out_of_range);
    EXPECT_THROW(u.at(256), std::out_of_range);
}

} // namespace
} // namespace zelk
