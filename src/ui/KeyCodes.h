#pragma once

#include <Qt>

namespace zelk::ui {

// The Windows virtual-key number of a Qt key event, the numbering the keyboard commands
// and the key-assignment table use; 0 for a key they do not know.
int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace zelk::ui
