#pragma once

#include "editor/NoteSelection.h"
#include "model/CurrentPart.h"

#include <cstdint>

namespace zelk {

// Cell and column tests the mouse entry shares. Columns are absolute grid columns.

// The cell, or 0 for a place outside the grid (a pointer past the song's last column
// reads as empty there).
int32_t cellOrEmpty(const NoteGrid& grid, int row, int col);

// Some row of the column starts or sounds a note (cell AND 0x7F), or starts one (0x3F).
bool columnHoldsNote(const NoteGrid& grid, int col);
bool columnHoldsHead(const NoteGrid& grid, int col);

// Lanes of a column a new note makes sound: Sounding 1, pitch bend centred, no
// modulation, full expression. Columns beyond the lanes (9601) carry no lane values.
void setSoundingLanes(CurrentPart& part, int col);
// The same lanes of a column left without a starting or sounding note: Sounding 0 and
// the neutral values. Does nothing while a note still starts or sounds there.
void resetLanesIfSilent(CurrentPart& part, int col);

// Highest column at or below `from` where some row holds an end mark; 0 when none.
int32_t highestEndColumn(const NoteGrid& grid, int from);

} // namespace zelk
