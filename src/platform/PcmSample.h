#pragma once

#include <cmath>
#include <cstdint>

namespace zelk {

// A float sample (-1..1) as 16-bit PCM, clipped, scaled as libsndfile scales it.
inline int16_t pcm16(float x) {
    const float scaled = std::nearbyint(x * 32767.0f);
    return static_cast<int16_t>(scaled > 32767.0f ? 32767 : (scaled < -32768.0f ? -32768 : scaled));
}

} // namespace zelk
