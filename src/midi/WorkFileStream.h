#pragma once

#include "model/LineScanner.h"
#include "model/PartFileRules.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// Reads a part's work file straight from its text, number by number, for the MIDI writer:
// the header, the seven lanes of every column 0..PartLen, then the nonzero grid cells in
// file order (column by column, row by row) without building the grid. It holds the file
// to what the editor writes, as readPartFile does, but checks each value as it comes, so
// a damaged file throws FormatError part way through.
class WorkFileStream {
public:
    // `text` must outlive the stream; `part` (0..15) only names the file in messages.
    WorkFileStream(std::string_view text, int part);

    int32_t PartLen = 0;
    int32_t PartProgram = 0;
    int32_t PartReverb = 0;
    int32_t PartChorus = 0;
    static constexpr int kLanesPerColumn = partfile::kLanesPerColumn;
    // Sounding, VelLane, PitLane, ModLane, ExpLane, PanLane, HolLane of column x at
    // 7 * x + k, values 0..255.
    std::vector<uint8_t> lanes;

    struct Cell {
        int32_t v;
        int32_t x;
        int32_t r;
    };
    // The next nonzero cell; false after the last one.
    bool nextCell(Cell& c);

private:
    bool nextNumber(int64_t& v);
    int64_t required(const char* where);
    std::string context() const;
    [[noreturn]] void fail(const std::string& why) const;

    LineScanner lines_;
    int part_;
    partfile::CellRuns cells_;
};

} // namespace zelk
