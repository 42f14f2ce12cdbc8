#pragma once

#include "editor/KeyAssign.h"
#include "editor/LaneEditState.h"
#include "editor/NoteEntryState.h"
#include "editor/NoteSelection.h"
#include "editor/Palette.h"
#include "editor/SignatureControls.h"
#include "editor/StepEntryState.h"
#include "editor/ViewState.h"

namespace zelk {

// Everything the main window's editor keeps beside the song: where it looks, what the
// palette holds and what the signature drop-downs show. One instance per window.
struct EditorState {
    ViewState view;
    Palette palette;
    SignatureControls signatures;
    NoteEntryState entry; // mouse entry between canvas events
    LaneEditState lanes;  // lane drags between canvas events
    NoteSelection selection;
    NoteClipboard clipboard; // kept across part switches and songs
    UndoMenus menus;
    KeyAssignment keys;
    StepEntryState step; // notes from a MIDI keyboard
};

} // namespace zelk
