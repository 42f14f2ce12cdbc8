#include "editor/entry/KeyboardCommands.h"
#include "editor/EntryFixture.h"
#include "editor/KeyAssign.h"

namespace zelk {
namespace {

constexpr int kEsc = 27, kSpace = 32, kF5 = 116;

class KeyboardCommandsTest : public test::EntryFixture {
protected:
    EditOutcome key(int code, int shift = 0) { return Picture1_KeyDown(ctx, code, shift); }
    EditOutcome key(char letter, int shift = 0) { return key(static_cast<int>(letter), shift); }
};

TEST_F(KeyboardCommandsTest, DefaultLetterKeysDriveThePalette) {
    // key -> NoteLen and Label1 after it
    const struct {
        char key;
        int len;
        const char* text;
    } lengths[] = {{'Z', 32, "全"}, {'X', 16, "２"},  {'C', 8, "４"},
                   {'V', 4, "８"},  {'B', 2, "１６"}, {'N', 1, "３２"}};
    for (const auto& t : lengths) {
        key(t.key);
        EXPECT_EQ(ed.palette.NoteLen, t.len) << t.key;
        EXPECT_EQ(ed.palette.NoteLenText, t.text) << t.key;
    }
    key('A');
    EXPECT_EQ(ed.palette.Accidental, 0x100);
    key('S');
    EXPECT_EQ(ed.palette.Accidental, 0x200);
    key('D');
    EXPECT_EQ(ed.palette.Accidental, 0);
}

TEST_F(KeyboardCommandsTest, DefaultKeysChooseTheStaffBandAndRelayout) {
    const struct {
        char key;
        int top;
    } bands[] = {{'F', 0}, {'G', 14}, {'H', 28}};
    for (const auto& t : bands) {
        EXPECT_TRUE(key(t.key).relayout);
        EXPECT_EQ(ed.view.TopRow, t.top) << t.key;
        EXPECT_EQ(ed.view.StaffZoom, 1);
    }
}

TEST_F(KeyboardCommandsTest, EscapePlaysAndSpaceSwitchesTupletMode) {
    EXPECT_TRUE(key(kEsc).playStop);
    EXPECT_TRUE(key(kSpace).redraw);
    EXPECT_EQ(ed.palette.TupletMode, 1);
    EXPECT_EQ(ed.palette.NoteLen, 2);
    key(kSpace);
    EXPECT_EQ(ed.palette.TupletMode, 0);
}

TEST_F(KeyboardCommandsTest, LTogglesLoopPlaybackAndPAuditionsTheSeam) {
    EXPECT_FALSE(ed.palette.LoopPlayback);
    EXPECT_TRUE(key('L').paletteChanged);
    EXPECT_TRUE(ed.palette.LoopPlayback);
    key('L');
    EXPECT_FALSE(ed.palette.LoopPlayback);
    const EditOutcome seam = key('P');
    EXPECT_TRUE(seam.seamAudition);
    EXPECT_FALSE(seam.playStop);
}

TEST_F(KeyboardCommandsTest, DisabledLengthButtonsCanStillBeChosenByKey) {
    tupletMode(true);
    key('B');
    EXPECT_EQ(ed.palette.NoteLenText, "１６");
    EXPECT_EQ(ed.palette.NoteLen, 2);
}

TEST_F(KeyboardCommandsTest, MeasureMovesStayWithinTheSong) {
    // first shown measure, key -> first shown measure after
    const struct {
        int from;
        int code;
        int to;
    } table[] = {
        {1, 'Q', 1},      {1, kVkLeft, 1}, // nothing left of measure 1
        {2, 'Q', 1},      {2, kVkLeft, 1}, {5, 'W', 6},
        {5, kVkRight, 6}, {300, 'W', 300}, {5, 'E', 1}, // ten left from 5 stops at 1
        {15, 'E', 5},     {295, 'R', 300},              // ten right stops at the last measure
        {280, 'R', 290},
    };
    for (const auto& t : table) {
        show(t.from, 1);
        key(t.code);
        EXPECT_EQ(ed.view.FirstMeasure, t.to) << t.from << " key " << t.code;
        EXPECT_EQ(ed.view.ViewCol, (t.to - 1) * 32);
    }
}

TEST_F(KeyboardCommandsTest, UpAndDownStepThePartWithinOneToSixteen) {
    key(kVkUp);
    EXPECT_EQ(song.CurPart, 0);
    EXPECT_TRUE(key(kVkDown).partChanged);
    EXPECT_EQ(song.CurPart, 1);
    for (int i = 0; i < 20; ++i)
        key(kVkDown);
    EXPECT_EQ(song.CurPart, 15);
    EXPECT_FALSE(key(kVkDown).partChanged);
    key(kVkUp);
    EXPECT_EQ(song.CurPart, 14);
}

TEST_F(KeyboardCommandsTest, ShiftUpAndDownStepTheInputScreen) {
    key(kVkUp, 1);
    EXPECT_EQ(ed.palette.InputScreen, ScreenScore);
    key(kVkDown, 1);
    EXPECT_EQ(ed.palette.InputScreen, ScreenVel);
    Option3_Click(ed.palette, ScreenTem);
    key(kVkDown, 1);
    EXPECT_EQ(ed.palette.InputScreen, ScreenTem);
    EXPECT_EQ(song.CurPart, 0);
}

TEST_F(KeyboardCommandsTest, NothingRunsWhileCtrlIsHeld) {
    for (int code : {static_cast<int>('C'), kEsc, kVkDown, kVkRight, kSpace}) {
        const EditOutcome out = key(code, 2);
        EXPECT_FALSE(out.playStop || out.partChanged || out.positionChanged || out.paletteChanged);
    }
    EXPECT_EQ(ed.palette.TupletMode, 0);
}

TEST_F(KeyboardCommandsTest, KeyGivenToTwoActionsRunsOnlyTheEarlierInTheOrder) {
    Form4_Select(ed.keys, 17, 24); // "C" also switches tuplet mode
    key('C');
    EXPECT_EQ(ed.palette.TupletMode, 0);
    Form4_Select(ed.keys, 16, 24); // and plays
    ed.palette.NoteLen = 1;
    EXPECT_TRUE(key('C').playStop);
    EXPECT_EQ(ed.palette.NoteLen, 1);
    Form4_Select(ed.keys, 13, 38); // "Q" moves right as well as left: left comes first
    show(5, 1);
    key('Q');
    EXPECT_EQ(ed.view.FirstMeasure, 4);
}

TEST_F(KeyboardCommandsTest, ArrowsKeepTheirMeaningWhateverIsAssigned) {
    Form4_Select(ed.keys, 2, 24);
    show(5, 1);
    key(kVkRight);
    EXPECT_EQ(ed.view.FirstMeasure, 6);
}

TEST_F(KeyboardCommandsTest, DropDownsKeepTheArrowsAndPassOtherKeys) {
    for (int code : {kVkLeft, kVkUp, kVkRight, kVkDown})
        EXPECT_TRUE(comboKeepsKey(code));
    Combo_KeyDown(ctx, kVkDown, 0);
    EXPECT_EQ(song.CurPart, 0);
    Combo_KeyDown(ctx, 'Z', 0);
    EXPECT_EQ(ed.palette.NoteLen, 32);
}

TEST_F(KeyboardCommandsTest, ReleasingShiftClearsTheAccidentalHoweverChosen) {
    Command2_Click(ed.palette, 0); // the ♯ button
    Picture1_KeyUp(ctx, 'A');
    EXPECT_EQ(ed.palette.Accidental, 0x100);
    EXPECT_TRUE(Picture1_KeyUp(ctx, kVkShift).paletteChanged);
    EXPECT_EQ(ed.palette.Accidental, 0);
    EXPECT_EQ(accidentalText(ed.palette), "");
}

TEST_F(KeyboardCommandsTest, ChoiceInTheOpenAssignmentWindowActsBeforeItCloses) {
    Form4_Load(ed.keys);
    Form4_Select(ed.keys, 16, 67); // "F5" for play/stop
    EXPECT_EQ(ed.keys.KeyAssign[16], 2);
    EXPECT_TRUE(key(kF5).playStop);
    EXPECT_FALSE(key(kEsc).playStop);
    Form4_Unload(ed.keys);
    EXPECT_EQ(ed.keys.KeyAssign[16], 67);
    EXPECT_TRUE(key(kF5).playStop);
}

TEST_F(KeyboardCommandsTest, DefaultButtonThenCloseBoxStoresTheDefaults) {
    ed.keys.KeyAssign[0] = 75;
    ed.keys.KeyAssign[17] = 0;
    Form4_Load(ed.keys);
    Form4_Command2_Click(ed.keys);
    EXPECT_EQ(ed.keys.KeyAssign[0], 75); // nothing stored until the window closes
    Form4_Unload(ed.keys);
    EXPECT_EQ(ed.keys.KeyAssign, kDefaultKeyAssign);
}

TEST(KeyTableTest, EntriesAndCaptionsAtTheGroupBoundaries) {
    // list position -> key code, caption
    const struct {
        int pos;
        int code;
        const char* caption;
    } table[] = {
        {0, 8, "Back Space"},   {3, 28, "変換"},    {4, 29, "無変換"},  {11, 46, "Delete"},
        {12, 48, "0"},          {21, 57, "9"},      {22, 65, "A"},      {47, 90, "Z"},
        {48, 96, "ﾃﾝｷｰ0"},      {57, 105, "ﾃﾝｷｰ9"}, {58, 106, "ﾃﾝｷｰ*"}, {60, 109, "ﾃﾝｷｰ-"},
        {62, 111, "ﾃﾝｷｰ/"},     {63, 112, "F1"},    {67, 116, "F5"},    {74, 123, "F12"},
        {75, 240, "Caps Lock"}, {76, 0, ""},
    };
    for (const auto& t : table) {
        EXPECT_EQ(KeyTable()[static_cast<size_t>(t.pos)], t.code) << t.pos;
        EXPECT_EQ(keyCaption(t.pos), t.caption) << t.pos;
    }
}

TEST(KeyTableTest, EveryEntryHasItsOwnKeyCode) {
    for (int p = 0; p < kKeyTableEntries; ++p) {
        EXPECT_NE(KeyTable()[static_cast<size_t>(p)], 0) << p;
        EXPECT_EQ(keyPosition(KeyTable()[static_cast<size_t>(p)]), p);
    }
    EXPECT_EQ(keyPosition(kVkLeft), -1); // arrows cannot be assigned
}

TEST(KeyTableTest, DefaultKeysAreTheLettersEscapeAndSpace) {
    const char* want[kKeyActions] = {"Z", "X", "C", "V", "B", "N", "A", "S",   "D",
                                     "F", "G", "H", "Q", "W", "E", "R", "ESC", "Space"};
    KeyAssignment keys;
    for (int a = 0; a < kKeyActions; ++a) {
        EXPECT_EQ(keyCaption(kDefaultKeyAssign[static_cast<size_t>(a)]), want[a]) << a;
        EXPECT_EQ(assignedKeyCode(keys, a), KeyTable()[kDefaultKeyAssign[static_cast<size_t>(a)]]);
    }
}

TEST(KeyTableTest, ActionsAreGroupedInFiveFrames) {
    const int frames[kKeyActions] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 4, 4};
    for (int a = 0; a < kKeyActions; ++a)
        EXPECT_EQ(keyActionFrame(a), frames[a]) << a;
    EXPECT_EQ(keyActionCaption(0), "全音符");
    EXPECT_EQ(keyActionCaption(16), "再生/停止");
    EXPECT_EQ(keyActionCaption(17), "連符画面切り替え");
    EXPECT_EQ(keyFrameCaption(2), "譜面切り替え");
}

} // namespace
} // namespace zelk
