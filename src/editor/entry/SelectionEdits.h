#pragma once

#include "editor/EditContext.h"
#include "editor/entry/NotePlacement.h"

#include <optional>
#include <vector>

namespace zelk {

// Edits of the selected notes of the current part. Each one that changes the part is one
// undo step and marks the song changed; a refused one leaves the part, the lanes and the
// selection as they were and returns its message. Notes that a click or a measure tool
// took away since they were selected are left out.

// The selected notes as they lie now, by head.
std::vector<NoteSpan> selectedNotes(const Song& song, const NoteSelection& selection);

// すべて選択: every note of the part. 選択解除: none.
EditOutcome selectAllNotes(EditContext& ctx);
EditOutcome clearSelection(EditContext& ctx);

// 削除 (Del): the notes go, the lanes and PartLen following as after clicks.
EditOutcome deleteSelection(EditContext& ctx);
// Ctrl+C and Ctrl+X: the notes with their accidentals, kind and the lane values of their
// columns go to the clipboard (a cut then deletes them).
EditOutcome copySelection(EditContext& ctx);
EditOutcome cutSelection(EditContext& ctx);
// Ctrl+V: the clipboard's notes into the current part, the first of them at the column
// under the pointer (x in canvas twips, in the palette's interpretation), or at the first
// shown column without one; snapped back to the nearest earlier place that keeps tuplet
// notes on tuplet slots. The pasted notes become the selection.
EditOutcome pasteNotes(EditContext& ctx, std::optional<double> pointerX);

// Moves the selection `thirds` thirds of a column later (a multiple of the selection's
// shift unit, see moveStep) and `rows` rows lower, accidentals kept. The moved notes stay
// selected.
EditOutcome moveSelection(EditContext& ctx, int32_t thirds, int rows);
// What one step moves the selection by, in thirds: the palette's note length (in tuplet
// mode its slots), or one column (one slot) when `single`; made the least multiple of it
// that keeps every selected note on its own grid.
int32_t moveStep(const Palette& palette, const std::vector<NoteSpan>& notes, bool single);

// The arrow keys while notes are selected on the score: ←/→ move by the palette's length
// (with Shift by one column), Ctrl+↑/↓ by a row, Ctrl+Shift+↑/↓ by an octave. Nothing
// (the keys keep their commands) without a selection or for other keys.
std::optional<EditOutcome> selectionKey(EditContext& ctx, int keyCode, int shift);

} // namespace zelk
