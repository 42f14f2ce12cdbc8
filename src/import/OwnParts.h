#pragma once

#include "import/ImportReport.h"
#include "import/PitchSpelling.h"
#include "import/SongEvents.h"
#include "midi/MidiFileEvents.h"
#include "storage/ProjectText.h"

#include <span>

namespace zelk {

struct Song;
class MeasurePlan;

// The parts of our own export made again from its tracks: each note's row and grid read
// from the order of the events (OwnDecoder), the key signature of each measure chosen to
// give those rows, and every part checked to write its track again byte for byte. Where
// one part sounds a key twice at once, the file does not say which note-off ends which
// note; the other pairings are tried when the first does not read back. Parts that find
// the keys bound against them by the parts read before them are read first in another
// round. Writes the parts' work file texts; true when every track comes back exactly.
bool buildOwnParts(Song& song, const SongEvents& events, const MeasurePlan& plan,
                   MeasureKey fileKey, const MidiFileEvents& file, std::span<const uint8_t> bytes,
                   const TrackParts& layout, WorkFileTexts& texts, ImportReport& report);

} // namespace zelk
