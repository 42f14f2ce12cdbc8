#pragma once

#include "storage/Defaults.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// Keyboard actions 0..19 (0..17 kept in zelk.ini, 18.. in zelk-state.ini) and the keys they
// can be given. A key is chosen by its position
// 0..75 in the key table; the table maps a position to a Windows virtual-key code, the
// numbering the window translates its key events into.
using KeyAssignTable = std::array<int16_t, kKeyActions>;

// Virtual-key codes the dispatcher knows by number.
inline constexpr int kVkShift = 16;
inline constexpr int kVkLeft = 37;
inline constexpr int kVkUp = 38;
inline constexpr int kVkRight = 39;
inline constexpr int kVkDown = 40;

// Position -> key code; 256 entries, positions 76..255 hold 0 (no key sends 0).
const std::array<uint8_t, 256>& KeyTable();
// The list entry of a position ("Back Space" .. "Caps Lock"); "" outside 0..75.
std::string keyCaption(int position);
// Position of a key code in the table; -1 for a key that cannot be assigned.
int keyPosition(int keyCode);

// The assignment window Form4 ("キー割り当て"): five frames of drop-downs Combo1(0..17).
inline constexpr std::string_view kKeyAssignTitle = "キー割り当て";
inline constexpr int kKeyFrames = 5;
std::string_view keyActionCaption(int action); // "全音符" .. "連符画面切り替え"
int keyActionFrame(int action);                // 0 "音符" .. 4 "その他"
std::string_view keyFrameCaption(int frame);

// KeyAssign (saved in zelk.ini as list positions) and the selections of the assignment
// window while it is loaded. A choice in the open window acts at once; closing it by any
// means commits the lists to KeyAssign.
struct KeyAssignment {
    KeyAssignTable KeyAssign = kDefaultKeyAssign;
    std::array<int16_t, kExtraKeyActions> ExtraAssign = kDefaultExtraKeyAssign; // actions 18..
    bool windowLoaded = false;
    std::array<int, kAllKeyActions> ListIndex{}; // Form4.Combo1(a).ListIndex while loaded
};

// The actions beyond zelk.ini's 18, kept in the state file by name.
void readExtraKeys(const class StateFile& state, KeyAssignment& keys);
void writeExtraKeys(class StateFile& state, const KeyAssignment& keys);

// Key code of an action: through the window's current list when it is loaded, else
// through KeyAssign. 0 (matches no key) for a position outside the table.
int assignedKeyCode(const KeyAssignment& keys, int action);

// Form4's handlers. Load selects KeyAssign(a) in every list; Select is a choice in list a;
// the "デフォルト" button selects the default positions; Unload (the "閉じる" button or
// the close box) copies the lists into KeyAssign.
void Form4_Load(KeyAssignment& keys);
void Form4_Select(KeyAssignment& keys, int action, int position);
void Form4_Command2_Click(KeyAssignment& keys);
void Form4_Unload(KeyAssignment& keys);

} // namespace zelk
