#pragma once

#include "model/Limits.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace zelk {

// One value per column 0..9600. Access is checked: a stray column throws instead of
// writing past the lane.
template <typename T> class Lane {
public:
    T operator[](int x) const { return values_[index(x)]; }
    T& operator[](int x) { return values_[index(x)]; }
    void fill(T v) { values_.fill(v); }
    static constexpr int size() { return kLaneCols; }
    bool operator==(const Lane&) const = default;

private:
    static size_t index(int x) {
        if (x < 0 || x >= kLaneCols)
            throw std::out_of_range("lane column outside 0..9600");
        return static_cast<size_t>(x);
    }
    std::array<T, kLaneCols> values_{};
};

using ByteLane = Lane<uint8_t>;
using TempoLane = Lane<int32_t>;

} // namespace zelk
