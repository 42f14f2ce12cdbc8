#include "editor/Palette.h"

#include "editor/ViewState.h"

#include <stdexcept>

namespace zelk {

namespace {

struct LengthButton {
    int32_t plain;  // columns
    int32_t tuplet; // tuplet slots
    std::string_view text;
};

// Command1(1..6): whole .. thirty-second. In tuplet mode a slot is 4/3 of a column, so
// "全" = 8 slots = a half note split in three. The sixteenth and thirty-second have no
// tuplet length of their own (their buttons are disabled there).
constexpr LengthButton kLengthButtons[7] = {
    {0, 0, ""},   {32, 8, "全"},  {16, 4, "２"},  {8, 2, "４"},
    {4, 1, "８"}, {2, 2, "１６"}, {1, 1, "３２"},
};

const LengthButton& lengthButton(int index) {
    if (index < 1 || index > 6)
        throw std::out_of_range("note-length button outside 1..6");
    return kLengthButtons[index];
}

int32_t lengthOf(const Palette& p, int index) {
    const LengthButton& b = lengthButton(index);
    return p.TupletMode == 1 ? b.tuplet : b.plain;
}

constexpr std::string_view kScreenCaptions[8] = {"譜面", "Vel.", "Pit.", "Mod.",
                                                 "Exp.", "Pan.", "Hol.", "Tem."};
constexpr std::string_view kBandCaptions[4] = {"上段", "中段", "下段", "全体"};

void checkPart(int part) {
    if (part < 0 || part >= kParts)
        throw std::out_of_range("part outside 0..15");
}

} // namespace

std::string_view screenCaption(int screen) {
    if (screen < 0 || screen > 7)
        throw std::out_of_range("input screen outside 0..7");
    return kScreenCaptions[screen];
}

std::string_view staffBandCaption(int band) {
    if (band < 0 || band > 3)
        throw std::out_of_range("staff band outside 0..3");
    return kBandCaptions[band];
}

std::string_view accidentalText(const Palette& p) {
    if (p.Accidental == 0x100)
        return "♯";
    if (p.Accidental == 0x200)
        return "♭";
    return "";
}

std::string_view screenText(const Palette& p) {
    if (p.InputScreen == ScreenScore)
        return staffBandCaption(p.StaffBand);
    return screenCaption(p.InputScreen);
}

std::string_view hintText(const Palette& p) {
    if (p.InputScreen == ScreenScore)
        return "▼左クリック：音符設置　右クリック：音試聴";
    return "▼左ドラッグ：手動設定　右ドラッグ：直線設定";
}

bool noteButtonEnabled(const Palette& p, int index) {
    lengthButton(index);
    return !(p.TupletMode == 1 && index >= 5);
}

bool staffBandsEnabled(const Palette& p) {
    return p.InputScreen == ScreenScore;
}

void Command1_Click(Palette& p, int index) {
    p.NoteLen = lengthOf(p, index);
    p.NoteLenText = lengthButton(index).text;
}

void Command1_MouseUp(Palette& p, int index, int button) {
    if (button != 2 || !noteButtonEnabled(p, index))
        return;
    p.NoteLen += lengthOf(p, index);
    p.NoteLenText += "+";
    p.NoteLenText += lengthButton(index).text;
}

void Command2_Click(Palette& p, int index) {
    if (index != 0 && index != 1)
        throw std::out_of_range("accidental button outside 0..1");
    p.Accidental = index == 0 ? 0x100 : 0x200;
}

void Command3_Click(Palette& p) {
    p.Accidental = 0;
}

void Command5_Click(Palette& p) {
    p.TupletMode = p.TupletMode == 1 ? 0 : 1;
    Command1_Click(p, 3);
}

void Option2_Click(Palette& p, ViewState& view, int index) {
    staffBandCaption(index);
    p.StaffBand = static_cast<uint8_t>(index);
    view.TopRow = index == BandWhole ? 0 : static_cast<uint8_t>(14 * index);
    view.StaffZoom = index == BandWhole ? 2 : 1;
}

void Option3_Click(Palette& p, int index) {
    screenCaption(index);
    p.InputScreen = static_cast<uint8_t>(index);
    if (index == ScreenScore)
        p.PointerText.clear();
}

void Command7_Click(Palette& p) {
    p.PlayPart.fill(1);
}
void Command8_Click(Palette& p) {
    p.PlayPart.fill(0);
}

void Check1_Click(Palette& p, int part, bool ticked) {
    checkPart(part);
    p.PlayPart[static_cast<size_t>(part)] = ticked ? 1 : 0;
}

void resetPaletteForNewSong(Palette& p, ViewState& view) {
    p.TupletMode = 0;
    Command1_Click(p, 3);
    Command3_Click(p);
    Command7_Click(p);
    Option2_Click(p, view, BandMiddle);
    Option3_Click(p, ScreenScore);
}

} // namespace zelk
