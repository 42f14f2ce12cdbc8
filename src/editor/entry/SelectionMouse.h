#pragma once

#include "editor/EditContext.h"

#include <optional>

namespace zelk {

// The selection's gestures on the score screen, ahead of the Part's mouse entry
// (CanvasMouse.h); positions in canvas twips, buttons and Shift state as there.
//
// - Ctrl + left drag draws a band; on release the notes whose head lies in it become the
//   selection (with Shift as well they are added to it). A Ctrl + left click (a band
//   that stays within a few pixels) adds the note under the press to the selection or
//   takes it out.
// - A left press on a selected note starts a drag of the selection: columns in steps of
//   the palette's length (single columns with Shift), rows by steps, drawn as an outline
//   and moved on release. A release where the press was is a plain click.
// - Any other left press clears the selection and goes on as the Part says; the right
//   button (audition) leaves the selection alone.

struct SelectionPress {
    bool handled = false; // the press was the selection's; the Part's entry does nothing
    EditOutcome outcome;
};
SelectionPress selectionMouseDown(EditContext& ctx, int button, int shift, double x, double y);

// Whether a band or a drag runs: then moves and the release are the selection's.
bool selectionGestureRuns(const EditContext& ctx);
EditOutcome selectionMouseMove(EditContext& ctx, int shift, double x, double y);
EditOutcome selectionMouseUp(EditContext& ctx, double x, double y);
// A double click after a Ctrl press: a second Ctrl press at the same place (its release
// toggles the note again).
std::optional<EditOutcome> selectionDoubleClick(EditContext& ctx);

// The notes whose head's slot centre lies inside the rectangle (canvas twips, clipped to
// the canvas): plain heads on the columns, tuplet heads on the tuplet slots.
std::vector<NoteKey> notesInBand(const Song& song, const ViewState& view, double x0, double y0,
                                 double x1, double y1);
// The note drawn under the pointer: a plain note on the column there, else a tuplet note
// on the slot there.
std::optional<NoteSpan> noteUnderPointer(const Song& song, const ViewState& view, double x,
                                         int row);

} // namespace zelk
