#pragma once

#include "midi/MidiFileEvents.h"

#include <array>
#include <string>
#include <vector>

namespace zelk {

// What an import changed to fit a file onto the grid, one kind per report line, in the
// order the lines are shown.
enum class ImportChange {
    NotesMoved,       // starts or ends moved onto the column or tuplet grid
    MeterSplit,       // a time signature the list lacks, split into offered lengths
    MeterPadded,      // measures of no whole number of columns, lengthened to fit
    KeyMoved,         // a key signature inside a measure, taken from the next bar line
    TempoRounded,     // tempo made whole beats per minute within 1..300
    NoteSplitAtKey,   // a note across a key change, split at the bar line
    OverlapShortened, // a note that another in its row began over, ended there
    NoFreeRow,        // a chord note without a row of its own, dropped
    OutsideRows,      // a key below or above every row, dropped
    ChordVelocity,    // notes of one column with several velocities: the loudest kept
    LaterSettings,    // program, reverb or chorus changed after the start: ignored
    OtherMessages,    // controllers without a lane, aftertouch: ignored
    LoopMoved,        // the loop marker inside a measure, taken to the next bar line
    BeyondSong,       // notes past the last column, dropped or cut
    UnendedNotes,     // notes the file never ends, ended where the file ends
    OrderChanged,     // our export: a part whose rows give its events of a tick another order
};
inline constexpr int kImportChangeKinds = static_cast<int>(ImportChange::OrderChanged) + 1;

// Where a change happened: a part (0..15, -1 for the whole song) and a measure (1-based).
struct ImportPlace {
    int part = -1;
    int measure = 1;
    bool operator==(const ImportPlace&) const = default;
};

// Counts of each kind of change with their first places.
class ImportReport {
public:
    static constexpr size_t kPlacesKept = 3;

    void add(ImportChange kind, ImportPlace place, int count = 1);
    // Adds the other report's counts and places, as if its changes came after these.
    void merge(const ImportReport& other);
    int count(ImportChange kind) const { return entries_[index(kind)].count; }
    const std::vector<ImportPlace>& places(ImportChange kind) const {
        return entries_[index(kind)].places;
    }
    bool empty() const;

    // One line per kind that happened: "what: count (part 1 measure 3, ...)".
    std::vector<std::string> englishLines() const;
    std::vector<std::string> japaneseLines() const;

private:
    struct Entry {
        int count = 0;
        std::vector<ImportPlace> places;
    };
    static size_t index(ImportChange kind) { return static_cast<size_t>(kind); }
    std::array<Entry, kImportChangeKinds> entries_{};
};

// Why a file cannot be imported, as the window says it.
std::string japaneseRefusal(MidiRefusal why);

} // namespace zelk
