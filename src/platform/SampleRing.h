#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

namespace zelk {

// A lock-free ring of floats for one writer thread and one reader thread. Neither side ever
// waits: push takes all of a block or none of it (so frames stay whole), pop takes what is
// there.
class SampleRing {
public:
    // Room for at least `capacity` samples (rounded up to a power of two).
    explicit SampleRing(std::size_t capacity);

    // Writer side. False (and nothing written) when the `count` samples do not fit.
    bool push(const float* samples, std::size_t count);
    // Reader side. Returns how many samples were copied to `out` (at most `max`).
    std::size_t pop(float* out, std::size_t max);
    std::size_t available() const;

private:
    std::vector<float> buffer_;
    std::size_t mask_;
    alignas(64) std::atomic<std::size_t> head_{0}; // written by the writer
    alignas(64) std::atomic<std::size_t> tail_{0}; // written by the reader
};

} // namespace zelk
