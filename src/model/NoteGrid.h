#pragma once

#include "model/Limits.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace zelk {

// Note cells of the current part, 57 rows x 9602 columns. Stored column-major so that
// one column (all rows) is contiguous: the file formats and the exporter walk it that way.
class NoteGrid {
public:
    NoteGrid() : cells_(static_cast<size_t>(kRows) * kGridCols, 0) {}

    int32_t operator()(int row, int col) const { return cells_[index(row, col)]; }
    int32_t& operator()(int row, int col) { return cells_[index(row, col)]; }

    // Cell number n of the column-major walk (57 * col + row), as the files count it.
    int32_t atSequence(size_t n) const { return cells_.at(n); }
    int32_t& atSequence(size_t n) { return cells_.at(n); }
    static constexpr size_t cellCount() { return static_cast<size_t>(kRows) * kGridCols; }

    // The kRows cells of one column, top row first, for walks over whole columns.
    const int32_t* column(int col) const { return &cells_[index(0, col)]; }

    void clear() { std::fill(cells_.begin(), cells_.end(), 0); }
    bool operator==(const NoteGrid&) const = default;

    static bool contains(int row, int col) {
        return row >= 0 && row < kRows && col >= 0 && col < kGridCols;
    }

private:
    static size_t index(int row, int col) {
        if (!contains(row, col))
            throw std::out_of_range("grid cell outside 57 x 9602");
        return static_cast<size_t>(col) * kRows + static_cast<size_t>(row);
    }
    std::vector<int32_t> cells_;
};

} // namespace zelk
