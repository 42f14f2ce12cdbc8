#pragma once

#include "editor/EditContext.h"

namespace zelk {

// Keyboard commands of the main window. Key codes are Windows virtual-key numbers (the
// window translates its key events); shift is 1 for Shift and 2 for Ctrl, added.

// Keyboard commands, tested in a fixed order so that the arrow keys always move by one
// measure (left, right) or step the part (up, down; with Shift the input screen), whatever
// the assignment, and a key given to two actions runs only the first. With Ctrl alone held
// nothing runs, so menu shortcuts keep working. While notes are selected on the score the
// arrow keys move them instead (selectionKey). Part switches throw FormatError for a
// damaged work file, as the part selector does.
EditOutcome Picture1_KeyDown(EditContext& ctx, int keyCode, int shift);
// Releasing Shift ends an accidental chosen by Shift-click (or by any other means).
EditOutcome Picture1_KeyUp(EditContext& ctx, int keyCode);

// The drop-downs Combo1..Combo4, Combo6 and Combo7 of the main window pass every key but
// the arrows (which move their own selection) to the keyboard commands.
bool comboKeepsKey(int keyCode);
EditOutcome Combo_KeyDown(EditContext& ctx, int keyCode, int shift);

} // namespace zelk
