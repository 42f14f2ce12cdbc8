#pragma once

#include "editor/EditContext.h"

namespace zelk {

// The time signature, key signature and tempo drop-downs as the window runs them: the
// change itself (Combo5, Combo6, Combo7, Combo2), then one undo step holding the measure
// arrays and the tempo lane before and after, so Ctrl+Z undoes what the user just chose.
// A change that changes nothing (a refused time signature, the same tempo) records nothing.
EditOutcome changeTimeSignature(EditContext& ctx, int listIndex);
EditOutcome changeKeyKind(EditContext& ctx, int listIndex);  // ♯ / ♭
EditOutcome changeKeyCount(EditContext& ctx, int listIndex); // 0..7 accidentals
EditOutcome changeTempoOffset(EditContext& ctx, int listIndex);

// Undo (before) or redo (after) of such a step, at the part and measure it was made in.
EditOutcome replayMeasureArrays(EditContext& ctx, const UndoRecord& rec, bool undo);

} // namespace zelk
