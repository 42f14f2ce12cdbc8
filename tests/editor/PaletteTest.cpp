#include "editor/Palette.h"
#include "editor/ViewState.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

class PaletteTest : public ::testing::Test {
protected:
    Palette p;
    ViewState view;
};

TEST_F(PaletteTest, StartsOnTheQuarterNoteWithoutAccidental) {
    EXPECT_EQ(p.NoteLen, 8);
    EXPECT_EQ(p.NoteLenText, "４");
    EXPECT_EQ(accidentalText(p), "");
    EXPECT_EQ(screenText(p), "中段");
    EXPECT_EQ(p.PreviewVelocity, 127);
}

TEST_F(PaletteTest, LengthButtonsSetLengthAndLabel) {
    // button -> columns, tuplet slots, label
    struct Row {
        int button, plain, tuplet;
        const char* text;
    } rows[] = {
        {1, 32, 8, "全"},  {2, 16, 4, "２"},  {3, 8, 2, "４"},
        {4, 4, 1, "８"},   {5, 2, 2, "１６"}, // tuplet value only reachable from the keyboard
        {6, 1, 1, "３２"},
    };
    for (const Row& r : rows) {
        p.TupletMode = 0;
        Command1_Click(p, r.button);
        EXPECT_EQ(p.NoteLen, r.plain) << r.button;
        EXPECT_EQ(p.NoteLenText, r.text);
        p.TupletMode = 1;
        Command1_Click(p, r.button);
        EXPECT_EQ(p.NoteLen, r.tuplet) << r.button;
        EXPECT_EQ(p.NoteLenText, r.text);
    }
}

TEST_F(PaletteTest, RightClickAddsToTheLength) {
    Command1_Click(p, 3);
    Command1_MouseUp(p, 4, 2);
    EXPECT_EQ(p.NoteLen, 12);
    EXPECT_EQ(p.NoteLenText, "４+８");
    Command1_MouseUp(p, 1, 2);
    Command1_MouseUp(p, 6, 2);
    EXPECT_EQ(p.NoteLen, 12 + 32 + 1);
    EXPECT_EQ(p.NoteLenText, "４+８+全+３２");
}

TEST_F(PaletteTest, SumsHaveNoUpperBound) {
    Command1_Click(p, 1);
    for (int i = 0; i < 400; ++i)
        Command1_MouseUp(p, 1, 2);
    EXPECT_EQ(p.NoteLen, 32 * 401);
}

TEST_F(PaletteTest, OnlyTheRightButtonAdds) {
    Command1_Click(p, 3);
    Command1_MouseUp(p, 4, 1);
    Command1_MouseUp(p, 4, 4);
    EXPECT_EQ(p.NoteLen, 8);
    EXPECT_EQ(p.NoteLenText, "４");
}

TEST_F(PaletteTest, LeftClickStartsANewSum) {
    Command1_Click(p, 3);
    Command1_MouseUp(p, 4, 2);
    Command1_Click(p, 2);
    EXPECT_EQ(p.NoteLen, 16);
    EXPECT_EQ(p.NoteLenText, "２");
}

TEST_F(PaletteTest, TupletSumsAddSlots) {
    Command5_Click(p);
    Command1_MouseUp(p, 4, 2); // quarter + eighth
    EXPECT_EQ(p.NoteLen, 3);
    EXPECT_EQ(p.NoteLenText, "４+８");
}

TEST_F(PaletteTest, DisabledButtonsCannotBeSummedInTupletMode) {
    Command5_Click(p);
    Command1_MouseUp(p, 5, 2);
    Command1_MouseUp(p, 6, 2);
    EXPECT_EQ(p.NoteLen, 2);
    EXPECT_EQ(p.NoteLenText, "４");
}

TEST_F(PaletteTest, TupletSwitchSelectsTheQuarterNoteBothWays) {
    Command1_Click(p, 1);
    Command1_MouseUp(p, 2, 2);
    Command5_Click(p);
    EXPECT_EQ(p.TupletMode, 1);
    EXPECT_EQ(p.NoteLen, 2);
    EXPECT_EQ(p.NoteLenText, "４");
    // button -> enabled in tuplet mode
    const bool enabledInTuplet[7] = {false, true, true, true, true, false, false};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(noteButtonEnabled(p, i), enabledInTuplet[i]) << i;
    Command5_Click(p);
    EXPECT_EQ(p.TupletMode, 0);
    EXPECT_EQ(p.NoteLen, 8);
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(noteButtonEnabled(p, i)) << i;
}

TEST_F(PaletteTest, AccidentalButtonsAndClear) {
    Command2_Click(p, 0);
    EXPECT_EQ(p.Accidental, 0x100);
    EXPECT_EQ(accidentalText(p), "♯");
    Command2_Click(p, 1);
    EXPECT_EQ(p.Accidental, 0x200);
    EXPECT_EQ(accidentalText(p), "♭");
    Command3_Click(p);
    EXPECT_EQ(p.Accidental, 0);
    EXPECT_EQ(accidentalText(p), "");
}

TEST_F(PaletteTest, StaffBandsSetTopRowAndZoom) {
    // band -> TopRow, StaffZoom, Label4
    struct Row {
        int band, top, zoom;
        const char* text;
    } rows[] = {
        {0, 0, 1, "上段"}, {1, 14, 1, "中段"}, {2, 28, 1, "下段"},
        {3, 0, 2, "全体"}, {0, 0, 1, "上段"}, // a band after 全体 returns to one band
    };
    for (const Row& r : rows) {
        Option2_Click(p, view, r.band);
        EXPECT_EQ(view.TopRow, r.top) << r.band;
        EXPECT_EQ(view.StaffZoom, r.zoom) << r.band;
        EXPECT_EQ(screenText(p), r.text);
    }
}

TEST_F(PaletteTest, InputScreenSetsReadOutsAndBandAvailability) {
    Option2_Click(p, view, BandLower);
    const char* captions[] = {"下段", "Vel.", "Pit.", "Mod.", "Exp.", "Pan.", "Hol.", "Tem."};
    for (int s = 0; s <= 7; ++s) {
        p.PointerText = "64";
        Option3_Click(p, s);
        EXPECT_EQ(p.InputScreen, s);
        EXPECT_EQ(screenText(p), captions[s]);
        EXPECT_EQ(staffBandsEnabled(p), s == 0);
        EXPECT_EQ(hintText(p), s == 0 ? "▼左クリック：音符設置　右クリック：音試聴"
                                      : "▼左ドラッグ：手動設定　右ドラッグ：直線設定");
        EXPECT_EQ(p.PointerText, s == 0 ? "" : "64");
    }
}

TEST_F(PaletteTest, PlayPartButtonsTickAndClearAll) {
    Command8_Click(p);
    for (uint8_t v : p.PlayPart)
        EXPECT_EQ(v, 0);
    Check1_Click(p, 4, true);
    EXPECT_EQ(p.PlayPart[4], 1);
    EXPECT_EQ(p.PlayPart[5], 0);
    Check1_Click(p, 4, false);
    EXPECT_EQ(p.PlayPart[4], 0);
    Command7_Click(p);
    for (uint8_t v : p.PlayPart)
        EXPECT_EQ(v, 1);
    EXPECT_THROW(Check1_Click(p, 16, true), std::out_of_range);
}

TEST_F(PaletteTest, NewSongResetsThePalette) {
    Command5_Click(p);
    Command2_Click(p, 1);
    Command8_Click(p);
    Option2_Click(p, view, BandWhole);
    Option3_Click(p, ScreenTem);
    resetPaletteForNewSong(p, view);
    EXPECT_EQ(p.TupletMode, 0);
    EXPECT_EQ(p.NoteLen, 8);
    EXPECT_EQ(p.NoteLenText, "４");
    EXPECT_EQ(p.Accidental, 0);
    for (uint8_t v : p.PlayPart)
        EXPECT_EQ(v, 1);
    EXPECT_EQ(view.TopRow, 14);
    EXPECT_EQ(view.StaffZoom, 1);
    EXPECT_EQ(p.InputScreen, ScreenScore);
    EXPECT_EQ(screenText(p), "中段");
}

TEST_F(PaletteTest, IndexesOutsideTheControlsAreRefused) {
    EXPECT_THROW(Command1_Click(p, 0), std::out_of_range);
    EXPECT_THROW(Command1_Click(p, 7), std::out_of_range);
    EXPECT_THROW(Command2_Click(p, 2), std::out_of_range);
    EXPECT_THROW(Option2_Click(p, view, 4), std::out_of_range);
    EXPECT_THROW(Option3_Click(p, 8), std::out_of_range);
    EXPECT_EQ(p.NoteLen, 8);
    EXPECT_EQ(view.TopRow, 14);
}

} // namespace
} // namespace zelk
