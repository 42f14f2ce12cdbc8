#pragma once

#include "model/CurrentPart.h"

#include <ostream>
#include <string>

namespace zelk::test {

// What every edit of the current part must keep. Each field is "" when its rule holds,
// else the first place it fails.
struct PartFaults {
    // No cell has bits above 0x7FFF; a head is the whole value 63.
    std::string cellBits;
    // Walking a row from left to right, every head starts a note that runs through body
    // cells to an end mark in the same row; no body cell or end mark is outside a note.
    std::string noteShape;
    // PartLen is the highest column holding an end mark (0 without notes), at most 9600.
    std::string partLen;
    // Sounding marks exactly the columns where a note starts or sounds; VelLane is nonzero
    // exactly where a note starts (as long as no lane is edited by hand).
    std::string lanes;
    // Tuplet heads and ends stand only on tuplet slots (column remainder 0, 1 or 2), and
    // all cells of a note are of its head's kind.
    std::string tupletMarks;

    bool operator==(const PartFaults&) const = default;
};

// One pass over the grid, column by column.
PartFaults checkPart(const CurrentPart& part);

// Shows the faults in a failed comparison.
void PrintTo(const PartFaults& f, std::ostream* os);

} // namespace zelk::test
