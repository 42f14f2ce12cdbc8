#pragma once

#include "editor/NoteSelection.h"
#include "editor/ViewState.h"
#include "editor/view/DrawList.h"
#include "model/Song.h"

#include <optional>

namespace zelk {

// Where a note lies on the canvas, in twips, as the note passes draw it: from its head's
// indent to its end mark, half a third of a row around its row's line. A tuplet note lies
// on the tuplet slots.
struct NoteBox {
    float left, top, right, bottom;
    float headX; // middle of the head's slot
    float y;     // the row's line
};

// Nothing when the note's row is not shown.
std::optional<NoteBox> noteBox(const ViewState& view, const NoteSpan& note);

// The selected notes of the current part: a tint behind each (drawn before the notes) and
// an outline around it (after them), so the note keeps its own colour.
void drawSelectionUnder(const Song& song, const ViewState& view, const NoteSelection& selection,
                        DrawList& out);
void drawSelectionOver(const Song& song, const ViewState& view, const NoteSelection& selection,
                       DrawList& out);

// The gesture under way, for the canvas's overlay: the band of a Ctrl drag, or the notes
// where a drag would put them. `out` is cleared first; it stays empty when none runs.
void drawSelectionGesture(const ViewState& view, const NoteSelection& selection, DrawList& out);

} // namespace zelk
