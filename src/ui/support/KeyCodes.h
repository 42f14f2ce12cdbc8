#pragma once

#include <Qt>
#include <QtGlobal>

namespace zelk::ui {

// The Windows virtual-key number of a Qt key event, the numbering the keyboard commands
// and the key-assignment table use; 0 for a key they do not know.
int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The same for a whole key event. Letter and digit keys are told by the physical key the
// system reports (the xkb key code under X11 and Wayland), so that Shift+1 is still "1"
// although Qt calls it Key_Exclam; other keys, and platforms without key codes, use the
// table above.
int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                   quint32 nativeVirtualKey);

} // namespace zelk::ui
