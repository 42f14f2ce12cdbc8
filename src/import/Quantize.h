#pragma once

#include "import/GridNote.h"
#include "import/ImportReport.h"
#include "import/MeasurePlan.h"
#include "import/SongEvents.h"

#include <vector>

namespace zelk {

// Moves the notes of one part onto the grid. Per beat (8 columns in measures of whole
// quarters, else 4) the grid that moves the starts and ends lying in it least is chosen:
// the columns (thirty-second notes) or the tuplet slots (three per four columns), the
// columns when both move them alike. Each note takes the grid of the beat it starts in,
// for its start and its end, and lasts at least one step of it. Bar lines stay where
// the plan puts them, so no measure changes its length. Notes moved are reported
// (NotesMoved); notes starting at column 9600 or later are dropped and notes ending past
// it cut (BeyondSong). Notes after the last measure keep their columns, as in the song.
//
// Our own export lies on the grid already: there a note is a tuplet note when its start or
// end sounds between columns, and nothing moves.
std::vector<GridNote> quantizeNotes(const PartEvents& part, int p, const MeasurePlan& plan,
                                    bool ownExport, ImportReport& report);

} // namespace zelk
