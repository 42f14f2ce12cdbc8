#pragma once

#include <cstdint>
#include <vector>

namespace zelk {

// Lengths of the measures in columns, indexed by measure number 1..count(); index 0 is
// always 0. Column sums are cached and rebuilt lazily after a change.
class MeasureTable {
public:
    MeasureTable();

    int count() const { return static_cast<int>(len_.size()) - 1; }
    int len(int m) const;
    void setLen(int m, int cols);
    // Makes measures 1..count exist, keeping the lengths of those that did; new ones are 0.
    void resize(int count);
    void assign(int count, int cols);

    // First column of measure n + 1: MeasureLen(0) + ... + MeasureLen(n), n in 0..count().
    int32_t SumMeasureLen(int n) const;
    // Measure m (1-based) with SumMeasureLen(m - 1) <= col < SumMeasureLen(m); count() + 1
    // for a column at or after the song's end.
    int measureOfColumn(int col) const;
    int32_t totalCols() const { return SumMeasureLen(count()); }

    bool operator==(const MeasureTable& o) const { return len_ == o.len_; }

private:
    void rebuildSums() const;
    std::vector<uint8_t> len_;
    mutable std::vector<int32_t> sums_;
    mutable bool sumsValid_ = false;
};

} // namespace zelk
