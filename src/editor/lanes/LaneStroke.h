#pragma once

#include "editor/EditContext.h"

#include <cstdint>

namespace zelk {

// One lane stroke (a left drag, or the line of a right drag) is one undo step. Writes
// go through writeLaneValue, which remembers each column's first value; the stroke ends
// with finishLaneStroke, which records it in the undo ring when it changed anything.

// Sets column `col` of the lane of `screen` and marks the song changed when the value
// differs. A write to another lane or part than the open stroke's ends that stroke first.
// Returns whether the value changed.
bool writeLaneValue(EditContext& ctx, uint8_t screen, int32_t col, int32_t value);
// Ends the open stroke: an undo record when it changed a value (Mundo on, Mrido off).
void finishLaneStroke(EditContext& ctx);

// Undo (`undo` true) or redo of a recorded stroke on the part now current.
void replayLaneStroke(Song& song, const LaneStrokeValues& stroke, bool undo);

} // namespace zelk
