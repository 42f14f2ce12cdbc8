#pragma once

#include "import/GridNote.h"
#include "import/ImportReport.h"
#include "import/PitchSpelling.h"

#include <vector>

namespace zelk {

class MeasurePlan;

// The key signature of every measure of the plan, and the line-of-fifths centres of one
// part's notes, which decide the names of black keys where the key has no accidentals.
struct SpellingContext {
    const MeasurePlan& plan;
    const std::vector<MeasureKey>& keys; // by measure index (measure - 1)
    std::vector<FifthsCentre> fifths;    // by measure index
    MeasureKey keyAt(int32_t col) const;
    const FifthsCentre& fifthsAt(int32_t col) const;
};

// Splits notes that cross a bar line where the key signature changes, so that each piece
// sounds in one key (NoteSplitAtKey).
std::vector<GridNote> splitAtKeyChanges(std::vector<GridNote> notes, const SpellingContext& c,
                                        int part, ImportReport& report);

// Gives every note a row, in the order of their heads, a chord's notes of the key first:
// each takes the first of its spellings whose row is free. Where an earlier note still
// sounds in that row, it is cut at the new head when it is the same key or would end
// first anyway (OverlapShortened); otherwise the next spelling is tried. A note that
// finds no row is dropped (NoFreeRow), and so is a key no row reaches (OutsideRows).
// A rhythm part's rows are its keys: row 84 - key. Returns the notes that got a row.
std::vector<GridNote> assignRows(std::vector<GridNote> notes, const SpellingContext& c, bool rhythm,
                                 int part, ImportReport& report);

} // namespace zelk
