#pragma once

#include <cstdint>

namespace zelk {

// Pointer shapes of the canvas (the MousePointer values the window maps to cursors).
enum CanvasPointer : uint8_t { PointerDefault = 0, PointerSizeWE = 9 };

// What the mouse entry keeps between canvas events. Columns are absolute grid columns,
// positions on the canvas are twips. The tuplet interpretation of the last resolution
// (TupletBit, TupletFix, TupletShift, ClickColWidth) lives in ViewState.
struct NoteEntryState {
    uint8_t ClickButton = 0; // button of the last press: 1 left, 2 right, 4 middle
    uint8_t ClickShift = 0;  // Shift state of the last press, 1 = Shift alone
    uint8_t ClickRow = 0;    // row under the pointer (press and hover)
    int32_t ClickCol = 0;    // column under the pointer, before the tuplet correction
    int32_t DownX = 0;       // X of the last press, rounded half to even
    uint8_t AuditionRow = 0; // row of the note sounding for the right-button audition
    // The last preview note-on sent, so that a release or a part switch can stop it.
    uint8_t LastPreviewNote = 0;

    // A note end held for resizing: its last sounding column and its row.
    uint8_t Grabbed = 0;
    int32_t GrabCol = 0;
    int32_t GrabRow = 0;

    uint8_t MousePointer = PointerDefault;
};

// Enabled states of the edit menu's 元に戻す (Mundo) and やり直し (Mrido).
struct UndoMenus {
    bool Mundo = false;
    bool Mrido = false;
};

} // namespace zelk
