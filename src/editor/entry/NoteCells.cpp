#include "editor/entry/NoteCells.h"

#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>

namespace zelk {

namespace {

bool anyRow(const NoteGrid& grid, int col, int32_t mask) {
    if (col < 0 || col >= kGridCols)
        return false;
    for (int r = 0; r < kRows; ++r)
        if (grid(r, col) & mask)
            return true;
    return false;
}

bool hasLanes(int col) {
    return col >= 0 && col < kLaneCols;
}

} // namespace

int32_t cellOrEmpty(const NoteGrid& grid, int row, int col) {
    return NoteGrid::contains(row, col) ? grid(row, col) : 0;
}

bool columnHoldsNote(const NoteGrid& grid, int col) {
    return anyRow(grid, col, 0x7F);
}

bool columnHoldsHead(const NoteGrid& grid, int col) {
    return anyRow(grid, col, cell::Head);
}

void setSoundingLanes(CurrentPart& part, int col) {
    if (!hasLanes(col))
        return;
    part.Sounding[col] = 1;
    part.PitLane[col] = 64;
    part.ModLane[col] = 0;
    part.ExpLane[col] = 127;
}

void resetLanesIfSilent(CurrentPart& part, int col) {
    if (!hasLanes(col) || columnHoldsNote(part.Grid, col))
        return;
    part.Sounding[col] = 0;
    part.PitLane[col] = 64;
    part.ModLane[col] = 0;
    part.ExpLane[col] = 127;
}

int32_t highestEndColumn(const NoteGrid& grid, int from) {
    for (int x = std::min(from, kGridCols - 1); x >= 0; --x)
        if (anyRow(grid, x, cell::End))
            return x;
    return 0;
}

} // namespace zelk
