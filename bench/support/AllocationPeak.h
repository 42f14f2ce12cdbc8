#pragma once

// The peak of the bytes held through operator new while a piece of code runs, for a
// benchmark program's memory figures. Include in exactly one file of a program: it
// replaces the global operator new and delete of that program.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace zelk::bench {

struct AllocationCounter {
    std::atomic<size_t> held{0};
    std::atomic<size_t> peak{0};
};

inline AllocationCounter& allocations() {
    static AllocationCounter counter;
    return counter;
}

// Bytes held at most while fn runs, beyond what was held before.
template <typename Fn> size_t peakBytesDuring(Fn&& fn) {
    AllocationCounter& c = allocations();
    const size_t before = c.held.load();
    c.peak.store(before);
    fn();
    return c.peak.load() - before;
}

} // namespace zelk::bench

// Each block carries its size in front, so that delete can count it off.
void* operator new(std::size_t n) {
    auto* p = static_cast<std::size_t*>(std::malloc(n + sizeof(std::max_align_t)));
    if (p == nullptr)
        throw std::bad_alloc();
    *p = n;
    auto& c = zelk::bench::allocations();
    const size_t now = c.held.fetch_add(n) + n;
    size_t peak = c.peak.load();
    while (now > peak && !c.peak.compare_exchange_weak(peak, now)) {
    }
    return reinterpret_cast<char*>(p) + sizeof(std::max_align_t);
}

void operator delete(void* q) noexcept {
    if (q == nullptr)
        return;
    auto* p = reinterpret_cast<std::size_t*>(static_cast<char*>(q) - sizeof(std::max_align_t));
    zelk::bench::allocations().held.fetch_sub(*p);
    std::free(p);
}

void operator delete(void* q, std::size_t) noexcept {
    operator delete(q);
}
