#pragma once

#include "editor/NoteEntryState.h"
#include "editor/ViewState.h"
#include "editor/view/DrawList.h"

namespace zelk {

// While a note end is held: a thin outline on the held note's row from its present end to
// the end the pointer would give it, and a firm line at that new end. The note itself
// changes only on release. Appended after the score so that it stays on top; nothing when
// no end is held or the row is not shown.
void appendResizeOutline(const ViewState& view, const NoteEntryState& entry, DrawList& out);

} // namespace zelk
