#include "editor/view/Signatures.h"
#include "editor/EditorState.h"
#include "editor/ScrolledSongFixture.h"
#include "editor/view/ViewPosition.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

class SignaturesTest : public test::ScrolledSongFixture {
protected:
    ActionResult chooseTime(int index) { return Combo5_Click(song, ed.view, ed.signatures, index); }
};

TEST_F(SignaturesTest, TimeSignatureListGivesMeasureLengths) {
    const char* captions[] = {"１/４", "２/４", "３/４", "４/４", "５/４",
                              "６/４", "１/８", "３/８", "５/８", "７/８"};
    const int cols[] = {8, 16, 24, 32, 40, 48, 4, 12, 20, 28};
    for (int i = 0; i < kTimeSignatures; ++i) {
        EXPECT_EQ(timeSignatureCaption(i), captions[i]);
        EXPECT_EQ(timeSignatureCols(i), cols[i]);
        EXPECT_EQ(timeSignatureIndexOf(cols[i]), i);
    }
    EXPECT_EQ(timeSignatureIndexOf(6), -1);
}

TEST_F(SignaturesTest, FromMeasureOneTheSongIsRefilledToColumn9600) {
    // entry -> measure count, beat spacing
    struct Row {
        int index, count, beat;
    } rows[] = {
        {0, 1200, 8},                                                     // 1/4
        {1, 600, 8},  {2, 400, 8}, {3, 300, 8}, {4, 240, 8}, {5, 200, 8}, // 6/4
        {6, 2400, 4},                                                     // 1/8
        {7, 800, 4},  {8, 480, 4}, {9, 342, 4}, // 7/8: 342 x 28 = 9576, one more would pass 9600
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.index);
        song = test::freshSong();
        EXPECT_FALSE(chooseTime(r.index).refused());
        const int cols = timeSignatureCols(r.index);
        EXPECT_EQ(song.MeasureCount(), r.count);
        EXPECT_EQ(song.MeasureCols, cols);
        EXPECT_EQ(song.BeatCols, r.beat);
        EXPECT_LE(song.SumMeasureLen(r.count), 9600);
        EXPECT_GT(song.SumMeasureLen(r.count) + cols, 9600);
        EXPECT_EQ(song.MeasureLen.len(1), cols);
        EXPECT_EQ(song.MeasureLen.len(r.count), cols);
        EXPECT_EQ(song.KeyMask.size(), static_cast<size_t>(r.count) + 1);
        EXPECT_EQ(song.KeyShift.size(), static_cast<size_t>(r.count) + 1);
        EXPECT_EQ(song.Dirty, 1);
    }
}

TEST_F(SignaturesTest, MeasuresBeforeTheShownOneKeepTheirLengths) {
    scrollTo(294);
    ASSERT_EQ(ed.view.ViewCol, 9376);
    EXPECT_FALSE(chooseTime(5).refused()); // 6/4
    EXPECT_EQ(song.MeasureCount(), 297);   // 292 + ceil(225 / 48)
    EXPECT_EQ(song.MeasureLen.len(293), 32);
    for (int m = 294; m <= 297; ++m)
        EXPECT_EQ(song.MeasureLen.len(m), 48) << m;
    EXPECT_EQ(song.SumMeasureLen(297), 9376 + 4 * 48);
}

TEST_F(SignaturesTest, KeysSurviveARecountAndNewMeasuresHaveNoKey) {
    Combo7_Click(song, ed.view, ed.signatures, 2);
    scrollTo(100);
    ASSERT_FALSE(chooseTime(6).refused()); // 1/8: many more measures
    ASSERT_GT(song.MeasureCount(), 300);
    EXPECT_EQ(song.KeyMask[299], 17);
    EXPECT_EQ(song.KeyShift[299], 1);
    EXPECT_EQ(song.KeyMask[301], 0);
    EXPECT_EQ(song.KeyShift[301], 0);
}

TEST_F(SignaturesTest, RefusedWhenAShownMeasureWouldVanish) {
    ed.view.ShownMeasures = 7;
    scrollTo(294);
    const MeasureTable before = song.MeasureLen;
    song.Dirty = 0;
    const ActionResult r = chooseTime(5); // 294..300 shown, 6/4 leaves 297 measures
    ASSERT_TRUE(r.refused());
    EXPECT_EQ(r.message, "その調子はここには設定できません");
    EXPECT_EQ(song.MeasureLen, before);
    EXPECT_EQ(song.KeyMask.size(), 301u);
    EXPECT_EQ(song.MeasureCols, 32);
    EXPECT_EQ(song.BeatCols, 8);
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(ed.signatures.Combo5Index, 5); // the drop-down shows the refused entry
    scrollTo(294);
    EXPECT_EQ(ed.signatures.Combo5Index, 3); // until the next scroll
}

TEST_F(SignaturesTest, AcceptedWhenTheLastShownMeasureJustFits) {
    // shown measures from 294, entry -> refused?
    struct Row {
        int shown, index;
        bool refused;
    } rows[] = {
        {4, 5, false}, // 294..297, N = 297
        {5, 5, true},  // 298 > 297
        {7, 3, false}, // 4/4 again: N = 300
        {7, 0, false}, // 1/4 makes more measures
    };
    for (const Row& r : rows) {
        song = test::freshSong();
        ed.view.ShownMeasures = static_cast<uint8_t>(r.shown);
        scrollTo(294);
        EXPECT_EQ(chooseTime(r.index).refused(), r.refused) << r.shown << " " << r.index;
    }
}

TEST_F(SignaturesTest, TimeSignatureHandlerDoesNothingWhileLocked) {
    ed.signatures.TimeSigLock = 1;
    EXPECT_FALSE(chooseTime(0).refused());
    EXPECT_EQ(song.MeasureCount(), 300);
    EXPECT_EQ(song.MeasureCols, 32);
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(ed.signatures.Combo5Index, 3);
    {
        SignatureSync sync(ed.signatures);
        EXPECT_EQ(ed.signatures.KeySigLock, 1);
    }
    EXPECT_EQ(ed.signatures.TimeSigLock, 0);
    EXPECT_EQ(ed.signatures.KeySigLock, 0);
}

TEST_F(SignaturesTest, EntryOutsideTheListRecountsWithTheShownLength) {
    ASSERT_FALSE(chooseTime(10).refused());
    EXPECT_EQ(song.MeasureCols, 32);
    EXPECT_EQ(song.MeasureCount(), 300);
}

TEST_F(SignaturesTest, KeyMasksFollowTheOrderOfSharpsAndFlats) {
    // count -> sharp mask, flat mask
    const int table[8][2] = {{0, 0},    {16, 2},   {17, 34},   {25, 38},
                             {89, 102}, {93, 110}, {125, 111}, {127, 127}};
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(keyMaskFor(false, n), table[n][0]) << n;
        EXPECT_EQ(keyMaskFor(true, n), table[n][1]) << n;
    }
    EXPECT_EQ(keyMaskFor(false, 8), 0);
    EXPECT_EQ(keyMaskFor(true, -1), 0);
}

TEST_F(SignaturesTest, KeyCodeAndSignOfEveryKey) {
    for (int kind = 0; kind <= 1; ++kind) {
        for (int n = 0; n <= 7; ++n) {
            Combo6_Click(song, ed.view, ed.signatures, kind);
            Combo7_Click(song, ed.view, ed.signatures, n);
            const int mask = keyMaskFor(kind == 1, n);
            EXPECT_EQ(song.KeyCode, mask + 128 * kind);
            EXPECT_EQ(song.KeySign, kind == 0 ? 1 : -1);
            EXPECT_EQ(song.KeyMask[0], mask + 128 * kind);
        }
    }
}

TEST_F(SignaturesTest, FlatKeyWithoutAccidentalsIsStoredAs128) {
    Combo6_Click(song, ed.view, ed.signatures, 1);
    EXPECT_EQ(song.KeyCode, 128);
    EXPECT_EQ(song.KeySign, -1);
    EXPECT_EQ(song.KeyMask[0], 128);
    EXPECT_EQ(song.KeyShift[0], -1);
}

TEST_F(SignaturesTest, KeyChangeAppliesFromTheShownMeasureToTheEnd) {
    scrollTo(10);
    song.Dirty = 0;
    Combo7_Click(song, ed.view, ed.signatures, 3);
    for (int i = 0; i <= 300; ++i) {
        EXPECT_EQ(song.KeyMask[i], i >= 9 ? 25 : 0) << i;
        EXPECT_EQ(song.KeyShift[i], i >= 9 ? 1 : 0) << i;
    }
    // A key change marks the song changed so that closing asks to save it.
    EXPECT_EQ(song.Dirty, 1);
}

TEST_F(SignaturesTest, KeyHandlerDoesNothingWhileLocked) {
    ed.signatures.KeySigLock = 1;
    Combo7_Click(song, ed.view, ed.signatures, 5);
    EXPECT_EQ(song.KeyMask[0], 0);
    EXPECT_EQ(song.KeyCode, 0);
    EXPECT_EQ(ed.signatures.Combo7Index, 5);
}

TEST_F(SignaturesTest, ScrollShowsTheKeyOfTheFirstShownMeasure) {
    scrollTo(3);
    Combo6_Click(song, ed.view, ed.signatures, 1);
    Combo7_Click(song, ed.view, ed.signatures, 4);
    scrollTo(2);
    EXPECT_EQ(ed.signatures.Combo6Index, 0);
    EXPECT_EQ(ed.signatures.Combo7Index, 0);
    scrollTo(5);
    EXPECT_EQ(ed.signatures.Combo6Index, 1);
    EXPECT_EQ(ed.signatures.Combo7Index, 4);
    EXPECT_EQ(song.KeyMask[1], 0); // showing changed nothing
}

TEST_F(SignaturesTest, TempoOffsetShiftsTheWholeLane) {
    song.TemLane[100] = 295;
    song.TemLane[200] = 5;
    const Palette p;
    EXPECT_FALSE(Combo2_Click(song, p, 129)); // 130 bpm, score screen: no redraw
    EXPECT_EQ(song.TemLane[0], 130);
    EXPECT_EQ(song.TemLane[9600], 130);
    EXPECT_EQ(song.TemLane[100], 300); // clamped
    EXPECT_EQ(song.TemLane[200], 15);
    EXPECT_EQ(song.TempoBase, 130);
    EXPECT_EQ(song.TempoIndex, 129);
    Combo2_Click(song, p, 119);
    EXPECT_EQ(song.TemLane[100], 290); // the clamp lost the difference
    EXPECT_EQ(song.TemLane[0], 120);
    Combo2_Click(song, p, 0); // 1 bpm: 119 lower, clamped at 1
    EXPECT_EQ(song.TemLane[200], 1);
    EXPECT_EQ(song.TemLane[100], 171);
    EXPECT_EQ(song.TemLane[0], 1);
    Combo2_Click(song, p, 299);
    EXPECT_EQ(song.TemLane[200], 300);
}

TEST_F(SignaturesTest, TempoOffsetRedrawsOnlyTheTempoScreen) {
    Palette p;
    for (int s = 0; s <= 7; ++s) {
        Option3_Click(p, s);
        EXPECT_EQ(Combo2_Click(song, p, 100 + s), s == ScreenTem) << s;
    }
}

TEST_F(SignaturesTest, TempoOffsetMarksTheSongChangedOnlyWhenItMoves) {
    const Palette p;
    Combo2_Click(song, p, 119); // as a project load does: nothing moves
    EXPECT_EQ(song.Dirty, 0);
    Combo2_Click(song, p, 120);
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_THROW(Combo2_Click(song, p, 300), std::out_of_range);
}

} // namespace
} // namespace zelk
