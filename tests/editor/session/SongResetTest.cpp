#include "editor/session/SongReset.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

TEST(SongReset, ResetsTheSongAndTheEditorStateItTouches) {
    Song song = test::freshSong();
    EditorState ed;
    ASSERT_FALSE(Combo5_Click(song, ed.view, ed.signatures, 0).refused()); // 1200 measures
    ed.view.FirstMeasure = 1000;
    HScroll1_Change(song, ed.view, ed.signatures);
    Combo6_Click(song, ed.view, ed.signatures, 1);
    Combo7_Click(song, ed.view, ed.signatures, 5);
    Combo2_Click(song, ed.palette, 200);
    ed.view.TupletFix = 5;
    ed.view.TupletShift = 1;
    ed.view.TupletBit = 0x1000;
    ed.palette.Accidental = 0x200;
    song.FileName = "a.zelk";
    song.Dirty = 1;

    ResetSong(song, ed);

    EXPECT_EQ(song.MeasureCount(), 300);
    EXPECT_EQ(song.SumMeasureLen(300), 9600);
    EXPECT_EQ(song.MeasureCols, 32);
    EXPECT_EQ(song.BeatCols, 8);
    EXPECT_EQ(song.KeyCode, 0);
    EXPECT_EQ(song.KeyMask, std::vector<uint8_t>(301, 0));
    EXPECT_EQ(song.TempoIndex, 119);
    EXPECT_EQ(song.TempoBase, 120);
    EXPECT_EQ(song.TemLane[5000], 120);
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(song.FileName, "");
    EXPECT_EQ(ed.view.FirstMeasure, 300); // the scroll bar's maximum came down to 300
    EXPECT_EQ(ed.view.TupletFix, 0);
    EXPECT_EQ(ed.view.TupletShift, 0);
    EXPECT_EQ(ed.view.TupletBit, 0);
    EXPECT_EQ(ed.view.BeatStep, 0);
    EXPECT_EQ(ed.palette.Accidental, 0);
    EXPECT_EQ(ed.signatures.Combo5Index, 3);
    EXPECT_EQ(ed.signatures.Combo6Index, 0);
    EXPECT_EQ(ed.signatures.Combo7Index, 0);
}

TEST(SongReset, LeavesViewAndPaletteChoicesAlone) {
    Song song = test::freshSong();
    EditorState ed;
    Mkakudai_Click(song, ed.view, ed.signatures, 3);
    Option2_Click(ed.palette, ed.view, BandWhole);
    Command1_Click(ed.palette, 1);
    ResetSong(song, ed);
    EXPECT_EQ(ed.view.ShownMeasures, 3);
    EXPECT_EQ(ed.view.StaffZoom, 2);
    EXPECT_EQ(ed.palette.NoteLen, 32);
}

} // namespace
} // namespace zelk
