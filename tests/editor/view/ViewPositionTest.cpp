#include "editor/view/ViewPosition.h"
#include "editor/EditorState.h"
#include "editor/ScrolledSongFixture.h"
#include "editor/view/Signatures.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using ViewPositionTest = test::ScrolledSongFixture;

TEST(WindowTitle, ReadsTheShownMeasuresAndTheFileName) {
    // first, shown, file, loop suffix -> caption
    struct Row {
        int first, shown;
        const char* file;
        bool loop;
        const char* title;
    } rows[] = {
        {1, 1, "", false, "ゼルク式ＭＩＤＩシーケンサ - 1小節目 - "}, // a new song
        {5, 1, "a.zelk", false, "ゼルク式ＭＩＤＩシーケンサ - 5小節目 - a.zelk"},
        {5, 3, "a.zelk", false, "ゼルク式ＭＩＤＩシーケンサ - 5小節～7小節 - a.zelk"},
        {5, 1, "a.zelk", true, "ゼルク式ＭＩＤＩシーケンサ - 5小節目 - a.zelk - ループポイント"},
        {294, 7, "曲.zelk", true,
         "ゼルク式ＭＩＤＩシーケンサ - 294小節～300小節 - 曲.zelk - ループポイント"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(windowTitle(r.first, r.shown, r.file, r.loop), r.title);
}

TEST_F(ViewPositionTest, TitleHasTheLoopSuffixOnlyOnTheLoopMeasure) {
    song.FileName = "a.zelk";
    song.LoopOn = 1;
    song.LoopMeasure = 4; // measure 5
    scrollTo(5);
    EXPECT_EQ(ed.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 5小節目 - a.zelk - ループポイント");
    scrollTo(6);
    EXPECT_EQ(ed.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 6小節目 - a.zelk");
    song.LoopOn = 0;
    scrollTo(5);
    EXPECT_EQ(ed.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 5小節目 - a.zelk");
}

TEST_F(ViewPositionTest, StartsWithTheDesignedCaption) {
    EXPECT_EQ(ed.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 1小節目 -");
}

TEST_F(ViewPositionTest, ShowPositionPutsTheViewOnTheFirstColumnOfTheMeasure) {
    scrollTo(1);
    EXPECT_EQ(ed.view.ViewCol, 0);
    scrollTo(300);
    EXPECT_EQ(ed.view.ViewCol, 299 * 32);
    song.MeasureLen.setLen(2, 12);
    scrollTo(4);
    EXPECT_EQ(ed.view.ViewCol, 32 + 12 + 32);
}

TEST_F(ViewPositionTest, ScrollingOntoAnotherSignatureShowsItWithoutChangingMeasures) {
    scrollTo(10);
    ASSERT_FALSE(Combo5_Click(song, ed.view, ed.signatures, 7).refused()); // "３/８"
    Combo6_Click(song, ed.view, ed.signatures, 1);
    Combo7_Click(song, ed.view, ed.signatures, 3); // three flats
    const MeasureTable lengths = song.MeasureLen;
    const auto masks = song.KeyMask;
    scrollTo(1);
    EXPECT_EQ(song.MeasureCols, 32);
    EXPECT_EQ(song.BeatCols, 8);
    EXPECT_EQ(ed.signatures.Combo5Index, 3);
    EXPECT_EQ(ed.signatures.Combo6Index, 0);
    EXPECT_EQ(ed.signatures.Combo7Index, 0);
    scrollTo(12);
    EXPECT_EQ(song.MeasureCols, 12);
    EXPECT_EQ(song.BeatCols, 4);
    EXPECT_EQ(ed.signatures.Combo5Index, 7);
    EXPECT_EQ(ed.signatures.Combo6Index, 1);
    EXPECT_EQ(ed.signatures.Combo7Index, 3);
    EXPECT_EQ(song.MeasureLen, lengths);
    EXPECT_EQ(song.KeyMask, masks);
    EXPECT_EQ(ed.signatures.TimeSigLock, 0);
    EXPECT_EQ(ed.signatures.KeySigLock, 0);
}

TEST_F(ViewPositionTest, MeasureLengthOutsideTheListKeepsTheDropDown) {
    // measure length -> BeatCols; a length no entry has leaves Combo5 as it was
    const int table[][2] = {{6, 2}, {10, 2}, {36, 4}, {44, 4}};
    for (const auto& r : table) {
        song.MeasureLen.setLen(2, r[0]);
        scrollTo(1);
        scrollTo(2);
        EXPECT_EQ(song.BeatCols, r[1]) << r[0];
        EXPECT_EQ(ed.signatures.Combo5Index, 3) << r[0];
    }
}

TEST_F(ViewPositionTest, ScrollStepsBackUntilEveryShownMeasureExists) {
    // shown measures, requested first measure -> first measure kept (300 measures)
    const int table[][3] = {
        {1, 300, 300}, {3, 298, 298}, {3, 299, 298}, {3, 300, 298}, {7, 300, 294}, {7, 1, 1},
    };
    for (const auto& r : table) {
        ed.view.ShownMeasures = static_cast<uint8_t>(r[0]);
        scrollTo(r[1]);
        EXPECT_EQ(ed.view.FirstMeasure, r[2]) << r[0] << " shown from " << r[1];
    }
}

TEST_F(ViewPositionTest, ScrollValueStaysInsideTheScrollBarRange) {
    scrollTo(0);
    EXPECT_EQ(ed.view.FirstMeasure, 1);
    scrollTo(301);
    EXPECT_EQ(ed.view.FirstMeasure, 300);
}

// Regression: stepping back below measure 1 when the song has fewer measures than are
// shown would leave the scroll bar's range.
TEST_F(ViewPositionTest, SongShorterThanTheShownMeasuresStaysOnMeasureOne) {
    song.MeasureLen.resize(2);
    song.resetKeySignatures();
    ed.view.ShownMeasures = 7;
    scrollTo(2);
    EXPECT_EQ(ed.view.FirstMeasure, 1);
    EXPECT_EQ(ed.view.ViewCol, 0);
}

TEST_F(ViewPositionTest, MeasureKeysMoveInsideTheSong) {
    // from, delta -> first measure, moved?
    struct Row {
        int from, delta, to;
        bool moved;
    } rows[] = {
        {1, -1, 1, false},    // first measure: one left does nothing
        {5, -10, 1, true},    // ten left from 5 stops at 1
        {2, -1, 1, true},     //
        {300, 1, 300, false}, // last measure: one right does nothing
        {295, 10, 300, true}, // ten right stops at the last measure
        {12, 10, 22, true},   //
    };
    for (const Row& r : rows) {
        scrollTo(r.from);
        EXPECT_EQ(scrollMeasures(song, ed.view, ed.signatures, r.delta), r.moved) << r.from;
        EXPECT_EQ(ed.view.FirstMeasure, r.to) << r.from << " " << r.delta;
        EXPECT_EQ(ed.view.ViewCol, (r.to - 1) * 32);
    }
}

TEST_F(ViewPositionTest, MeasureKeyRightStepsBackWhenSeveralMeasuresAreShown) {
    ed.view.ShownMeasures = 3;
    scrollTo(298);
    EXPECT_TRUE(scrollMeasures(song, ed.view, ed.signatures, 1));
    EXPECT_EQ(ed.view.FirstMeasure, 298);
}

TEST_F(ViewPositionTest, SevenMeasuresFrom298StepBackTo294) {
    scrollTo(298);
    Mkakudai_Click(song, ed.view, ed.signatures, 7);
    EXPECT_EQ(ed.view.ShownMeasures, 7);
    EXPECT_EQ(ed.view.FirstMeasure, 294);
    EXPECT_EQ(ed.view.ViewCol, 293 * 32);
    EXPECT_EQ(ed.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 294小節～300小節 - ");
}

TEST_F(ViewPositionTest, FewerShownMeasuresKeepTheFirstMeasure) {
    scrollTo(294);
    Mkakudai_Click(song, ed.view, ed.signatures, 7);
    Mkakudai_Click(song, ed.view, ed.signatures, 1);
    EXPECT_EQ(ed.view.FirstMeasure, 294);
    EXPECT_EQ(ed.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 294小節目 - ");
}

TEST_F(ViewPositionTest, MenuIndexOutsideOneToSevenIsRefused) {
    EXPECT_THROW(Mkakudai_Click(song, ed.view, ed.signatures, 0), std::out_of_range);
    EXPECT_THROW(Mkakudai_Click(song, ed.view, ed.signatures, 8), std::out_of_range);
    EXPECT_EQ(ed.view.ShownMeasures, 1);
}

} // namespace
} // namespace zelk
