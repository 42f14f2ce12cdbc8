#pragma once

#include "model/Limits.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

struct ViewState;

// Input screens chosen with Option3: 0 is the score, 1..7 the effect lanes.
enum InputScreenIndex : uint8_t {
    ScreenScore = 0,
    ScreenVel = 1,
    ScreenPit = 2,
    ScreenMod = 3,
    ScreenExp = 4,
    ScreenPan = 5,
    ScreenHol = 6,
    ScreenTem = 7,
};

// Staff bands chosen with Option2.
enum StaffBandIndex : uint8_t { BandUpper = 0, BandMiddle = 1, BandLower = 2, BandWhole = 3 };

// What the input palette beside the canvas holds. The palette never edits the song; the
// mouse entry, the keyboard commands and the lanes read this state.
struct Palette {
    // Note length in columns (thirty-second notes); in tuplet mode in tuplet slots
    // (3 slots per 4 columns). A right-click sum can exceed one measure.
    int32_t NoteLen = 8;
    int32_t Accidental = 0; // 0, 0x100 sharp, 0x200 flat
    uint8_t TupletMode = 0; // 1 while tuplet input is on
    uint8_t InputScreen = ScreenScore;
    uint8_t StaffBand = BandMiddle; // the selected Option2 element
    // Label1: the chosen length, with "+..." appended by right-click sums.
    std::string NoteLenText = "４";
    // Label10: the value under the pointer in a lane screen (written by the lane editing).
    std::string PointerText;
    // Check1(0..15): 1 = the part takes part in playback.
    std::array<uint8_t, kParts> PlayPart = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    // "ループ再生": with a loop point the play button plays the loop as a game does, until
    // stopped; off, the play button plays once.
    bool LoopPlayback = false;
    // Velocity of every preview note-on.
    int32_t PreviewVelocity = 127;
};

// Read-outs derived from the palette state.
std::string_view accidentalText(const Palette& p); // Label2: "♯", "♭" or ""
std::string_view screenText(const Palette& p);     // Label4: the staff band or the lane
std::string_view hintText(const Palette& p);       // Label11: the mouse hint of the screen
// Command1(1..6): the sixteenth and thirty-second buttons are disabled in tuplet mode.
bool noteButtonEnabled(const Palette& p, int index);
// Option2(0..3) are enabled only on the score screen.
bool staffBandsEnabled(const Palette& p);
std::string_view screenCaption(int screen);  // Option3 captions "譜面" .. "Tem."
std::string_view staffBandCaption(int band); // Option2 captions "上段" .. "全体"

} // namespace zelk

namespace zelk {

// Palette actions. Each is what the control does when clicked (or when the keyboard
// commands run it); the window hands the focus back to the canvas afterwards and
// redraws where the action changes the picture (Command5, Option2, Option3).

// Left click on a note-length button 1..6 (whole .. thirty-second): starts a new length.
void Command1_Click(Palette& p, int index);
// Release of a mouse button over a length button; button 2 (right) adds the length to
// the current sum. A disabled button receives no release.
void Command1_MouseUp(Palette& p, int index, int button);
// Accidental buttons: 0 sharp, 1 flat.
void Command2_Click(Palette& p, int index);
// Clears the accidental.
void Command3_Click(Palette& p);
// Tuplet mode on/off; both ways select the quarter note.
void Command5_Click(Palette& p);
// Staff band 0..3 (上段, 中段, 下段, 全体): sets TopRow and StaffZoom. The window then
// re-lays out (Form_Resize) and redraws.
void Option2_Click(Palette& p, ViewState& view, int index);
// Input screen 0..7, the palette side: read-outs and which controls are enabled follow.
void Option3_Click(Palette& p, int index);
// Play-part boxes: all ticked, all cleared, one toggled.
void Command7_Click(Palette& p);
void Command8_Click(Palette& p);
// A click on one box toggles it; the window passes the box's new value.
void Check1_Click(Palette& p, int part, bool ticked);

// The palette side of a new song: tuplet mode off, quarter note, no accidental, all
// play parts ticked, band 中段 and the score screen.
void resetPaletteForNewSong(Palette& p, ViewState& view);

} // namespace zelk
