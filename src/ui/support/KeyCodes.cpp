#include "ui/support/KeyCodes.h"

#include <array>
#include <utility>

namespace zelk::ui {
namespace {

// Keys outside the letter, digit and function-key ranges.
constexpr std::array<std::pair<int, int>, 20> kNamedKeys = {{
    {Qt::Key_Backspace, 8},  {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},     {Qt::Key_Escape, 27},       {Qt::Key_Henkan, 28},
    {Qt::Key_Muhenkan, 29},  {Qt::Key_Space, 32},        {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},  {Qt::Key_End, 35},          {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},      {Qt::Key_Up, 38},           {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},      {Qt::Key_Insert, 45},       {Qt::Key_Delete, 46},
    {Qt::Key_CapsLock, 240}, {Qt::Key_Eisu_toggle, 240},
}};

// Keypad keys other than digits: * + - . /
constexpr std::array<std::pair<int, int>, 5> kKeypadSigns = {{
    {Qt::Key_Asterisk, 106},
    {Qt::Key_Plus, 107},
    {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},
    {Qt::Key_Slash, 111},
}};

// xkb key codes (evdev + 8) of the digit row, "1" .. "9" then "0", on every layout.
constexpr quint32 kXkbDigit1 = 10;
constexpr quint32 kXkbDigit0 = 19;

} // namespace

int windowsKeyCode(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                   quint32 nativeVirtualKey) {
    if (!(modifiers & Qt::KeypadModifier) && nativeScanCode >= kXkbDigit1 &&
        nativeScanCode <= kXkbDigit0)
        return nativeScanCode == kXkbDigit0 ? 48
                                            : 49 + static_cast<int>(nativeScanCode - kXkbDigit1);
    // The keysym of a letter key is its letter in either case, whatever the modifiers.
    if (nativeVirtualKey >= 'a' && nativeVirtualKey <= 'z')
        return 65 + static_cast<int>(nativeVirtualKey - 'a');
    if (nativeVirtualKey >= 'A' && nativeVirtualKey <= 'Z')
        return 65 + static_cast<int>(nativeVirtualKey - 'A');
    return windowsKeyCode(key, modifiers);
}

int windowsKeyCode(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 96 + (key - Qt::Key_0) : 48 + (key - Qt::Key_0);
    if (keypad)
        for (auto [qt, vk] : kKeypadSigns)
            if (qt == key)
                return vk;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    for (auto [qt, vk] : kNamedKeys)
        if (qt == key)
            return vk;
    return 0;
}

} // namespace zelk::ui
