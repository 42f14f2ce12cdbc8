#include "platform/SampleRing.h"

#include <algorithm>
#include <bit>

namespace zelk {

SampleRing::SampleRing(std::size_t capacity)
    : buffer_(std::bit_ceil(std::max<std::size_t>(capacity, 2))), mask_(buffer_.size() - 1) {}

bool SampleRing::push(const float* samples, std::size_t count) {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    if (count > buffer_.size() - (head - tail))
        return false;
    for (std::size_t i = 0; i < count; ++i)
        buffer_[(head + i) & mask_] = samples[i];
    head_.store(head + count, std::memory_order_release);
    return true;
}

std::size_t SampleRing::pop(float* out, std::size_t max) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    const std::size_t head = head_.load(std::memory_order_acquire);
    const std::size_t n = std::min(max, head - tail);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = buffer_[(tail + i) & mask_];
    tail_.store(tail + n, std::memory_order_release);
    return n;
}

std::size_t SampleRing::available() const {
    return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_relaxed);
}

} // namespace zelk
