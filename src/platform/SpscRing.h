#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <vector>

namespace zelk {

// A lock-free ring of values for one writer thread and one reader thread; neither waits.
// Used to hand messages and finished objects between the UI and the rendering thread.
template <typename T> class SpscRing {
public:
    // Room for at least `capacity` values (a power of two).
    explicit SpscRing(std::size_t capacity)
        : buffer_(std::bit_ceil(capacity < 2 ? std::size_t{2} : capacity)),
          mask_(buffer_.size() - 1) {}

    // Writer side. False when full (nothing written).
    bool push(const T& value) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == buffer_.size())
            return false;
        buffer_[head & mask_] = value;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // Reader side. False when empty.
    bool pop(T& value) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire))
            return false;
        value = buffer_[tail & mask_];
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

private:
    std::vector<T> buffer_;
    std::size_t mask_;
    alignas(64) std::atomic<std::size_t> head_{0}; // written by the writer
    alignas(64) std::atomic<std::size_t> tail_{0}; // written by the reader
};

} // namespace zelk
