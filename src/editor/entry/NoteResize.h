#pragma once

#include "editor/EditContext.h"

namespace zelk {

// Release of a held note end (Grabbed = 1): the note's last sounding column GrabCol moves
// to the last column of the slot the pointer last hovered over. Shortening stops at the
// note's head, lengthening before the next note's head in the row (and, for a tuplet
// note, before a plain head that would start while it still sounds). Releasing on the
// same slot is a click instead (CommitClick with the press's button). A resize writes no
// undo record.
EditOutcome resizeGrabbedNote(EditContext& ctx);

} // namespace zelk
