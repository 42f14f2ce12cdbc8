#include "render/NormalizingSink.h"

#include <algorithm>
#include <cmath>

namespace zelk {

NormalizingSink::NormalizingSink(std::unique_ptr<AudioFileSink> inner) : inner_(std::move(inner)) {}

void NormalizingSink::write(std::span<const float> interleaved) {
    for (float x : interleaved)
        peak_ = std::max(peak_, std::fabs(x));
    held_.insert(held_.end(), interleaved.begin(), interleaved.end());
}

void NormalizingSink::commit() {
    const float gain = peak_ > 0 ? kPeak / peak_ : 1.0f;
    constexpr size_t kChunk = 1 << 16; // the encoders take moderate blocks
    std::vector<float> chunk;
    for (size_t i = 0; i < held_.size(); i += kChunk) {
        const size_t n = std::min(kChunk, held_.size() - i);
        chunk.assign(held_.begin() + static_cast<ptrdiff_t>(i),
                     held_.begin() + static_cast<ptrdiff_t>(i + n));
        for (float& x : chunk)
            x *= gain;
        inner_->write(chunk);
    }
    held_ = {};
    inner_->commit();
}

} // namespace zelk
