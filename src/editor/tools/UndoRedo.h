#pragma once

#include "editor/EditContext.h"

namespace zelk {

// The edit menu's undo (元に戻す, Mundo) and redo (やり直し, Mrido). A note click is
// undone and redone by replaying it through CommitClick on its part and measure; a
// measure copy by loading the snapshot taken before it (undo) or after it (redo); a lane
// stroke, and an edit of many notes, by writing back the values they held before (undo)
// or after (redo). Both clear the note selection and end with the quarter note selected
// in the palette. A disabled item does nothing; an
// open lane stroke is recorded first.
// Throws FormatError (damaged work file of the recorded part) or ProjectFileError
// (damaged snapshot) with the ring and the song as they were.
EditOutcome Mundo_Click(EditContext& ctx);
EditOutcome Mrido_Click(EditContext& ctx);

// Whether the record at UndoPos can be undone: a note click, a lane stroke, a measure-array
// change, an edit of many notes, or the second
// snapshot of a
// pair whose first is still in the ring (once the ring has wrapped, the oldest pair may
// have lost its first snapshot to the chain's end mark).
bool undoAvailable(const UndoRing& ring);

} // namespace zelk
