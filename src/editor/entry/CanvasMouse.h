#pragma once

#include "editor/EditContext.h"

namespace zelk {

// The canvas's mouse events, in canvas twips with the toolkit's button (1 left, 2 right,
// 4 middle; for a move the buttons held, added) and Shift state (1 Shift, 2 Ctrl, 4 Alt,
// added). On a lane screen they hand over to LaneMouse.h; a release ends the lane stroke
// and commits a shown line first.

// Press: remembers button, Shift, X and row, then HitTestPress. Presses outside the
// canvas are ignored.
EditOutcome Picture1_MouseDown(EditContext& ctx, int button, int shift, double x, double y);
// Resolves the remembered press to a column: a press on a note's last column grabs its
// end (switching the palette's tuplet mode to the note's kind), any other press is a
// click (CommitClick).
EditOutcome HitTestPress(EditContext& ctx);
// Hover and drag: the row and column under the pointer (which a release's resize uses),
// the pointer shape (entry.MousePointer), and with the right button held the glide
// audition on every row change.
EditOutcome Picture1_MouseMove(EditContext& ctx, int button, int shift, double x, double y);
// Release: resizes a held note end, then stops the preview note.
EditOutcome Picture1_MouseUp(EditContext& ctx, int button, int shift, double x, double y);
// Double click: the preceding press once more, so a double click toggles twice.
EditOutcome Picture1_DblClick(EditContext& ctx);

} // namespace zelk
