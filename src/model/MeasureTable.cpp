#include "model/MeasureTable.h"

#include <algorithm>
#include <stdexcept>

namespace zelk {

MeasureTable::MeasureTable() : len_(1, 0) {}

int MeasureTable::len(int m) const {
    if (m < 0 || m > count())
        throw std::out_of_range("measure number outside the song");
    return len_[static_cast<size_t>(m)];
}

void MeasureTable::setLen(int m, int cols) {
    if (m < 1 || m > count())
        throw std::out_of_range("measure number outside the song");
    if (cols < 0 || cols > 255)
        throw std::out_of_range("measure length does not fit a byte");
    len_[static_cast<size_t>(m)] = static_cast<uint8_t>(cols);
    sumsValid_ = false;
}

void MeasureTable::resize(int n) {
    if (n < 0)
        throw std::out_of_range("negative measure count");
    len_.resize(static_cast<size_t>(n) + 1, 0);
    sumsValid_ = false;
}

void MeasureTable::assign(int n, int cols) {
    resize(0);
    resize(n);
    for (int m = 1; m <= n; ++m)
        setLen(m, cols);
}

void MeasureTable::rebuildSums() const {
    sums_.resize(len_.size());
    int32_t sum = 0;
    for (size_t i = 0; i < len_.size(); ++i) {
        sum += len_[i];
        sums_[i] = sum;
    }
    sumsValid_ = true;
}

int32_t MeasureTable::SumMeasureLen(int n) const {
    if (n < 0 || n > count())
        throw std::out_of_range("measure index outside the song");
    if (!sumsValid_)
        rebuildSums();
    return sums_[static_cast<size_t>(n)];
}

int MeasureTable::measureOfColumn(int col) const {
    if (!sumsValid_)
        rebuildSums();
    // First m with SumMeasureLen(m) > col.
    auto it = std::upper_bound(sums_.begin(), sums_.end(), col);
    return static_cast<int>(it - sums_.begin());
}

} // namespace zelk
