#pragma once

#include <cmath>
#include <cstdint>

namespace zelk {

// nearest(x): the integer nearest to x, halves going to the even neighbour. Every
// conversion of a fractional canvas value (twips) to an integer in the editor rounds so.
inline int32_t nearest(double x) {
    const double f = std::floor(x);
    const double d = x - f;
    double r = f;
    if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0.0))
        r = f + 1.0;
    return static_cast<int32_t>(r);
}

} // namespace zelk
