#pragma once

#include "import/ImportReport.h"
#include "import/SongEvents.h"

#include <cstdint>
#include <vector>

namespace zelk {

// Offered measure lengths adding up to `cols` (a multiple of 4): as few as possible, as
// even as possible, the longest first, each a whole number of `beat` columns where that
// is possible.
std::vector<int> offeredPieces(int cols, int beat);

// The measures of an imported song and where the file's ticks fall on its columns.
//
// Positions are in units of 1/division of a tick at 480 per quarter note, so that every
// file tick and every grid point is a whole number: a column is 60 x division units, a
// tuplet slot 80 x division. The file's measures follow its time signatures from the
// song's start; a length the time-signature list offers becomes one measure, a longer
// whole number of columns is split into offered lengths, and measures of no whole number
// of columns (5/16, a signature inside a measure) are gathered and lengthened to the next
// multiple of 4 columns, the notes after them moving on by as much. After the last note
// the last measure (as split) repeats up to column 9600.
class MeasurePlan {
public:
    MeasurePlan(const SongEvents& song, uint32_t musicEnd, ImportReport& report);

    const std::vector<int>& lengths() const { return lengths_; }
    int32_t songCols() const { return total_; }
    int64_t unitsPerColumn() const { return 60 * int64_t{division_}; }
    int64_t position(uint32_t tick) const;
    // The column a tick falls in (0 before the song starts).
    int32_t columnOf(uint32_t tick) const;
    // 1-based measure holding a column; the last measure for columns past the song.
    int measureOfColumn(int32_t col) const;
    int32_t measureStart(int m) const { return starts_[static_cast<size_t>(m - 1)]; }
    // Columns of the beat that holds a column: 8 in measures of whole quarters, else 4.
    int32_t beatStart(int32_t col) const;
    int32_t beatCols(int32_t col) const;

private:
    struct Section {
        int64_t from;  // file units from the song's start
        int64_t shift; // position = file units + shift
    };
    struct FileMeasure {
        int64_t start, length; // file units
        int beat;              // columns the measure's beat spans
    };
    std::vector<FileMeasure> fileMeasures(const SongEvents& song, uint32_t musicEnd) const;
    void place(const std::vector<FileMeasure>& measures, ImportReport& report);
    void addMeasure(int cols);
    void fillToGridEnd();

    uint16_t division_;
    uint32_t origin_;
    std::vector<Section> sections_;
    std::vector<int> lengths_;
    std::vector<int> lastPieces_; // the offered lengths the last file measure became
    std::vector<int32_t> starts_;
    std::vector<uint16_t> measureAt_; // 1-based measure of each column, looked up per note
    int32_t total_ = 0;
};

} // namespace zelk
