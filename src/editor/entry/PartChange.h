#pragma once

#include "editor/EditContext.h"

namespace zelk {

// Every part switch of the editor goes through here: a lane stroke still open (a drag
// whose button is held) ends first, since its values belong to the part it was drawn on,
// the selection is cleared (its notes are the old part's), then the current part is saved
// and the new one read (switchPart).
void changePart(EditContext& ctx, int part);

} // namespace zelk
