#pragma once

#include <chrono>

namespace zelk {

// Paces a thread that renders blocks of one fixed duration so that it renders, on average, exactly
// as much time as passes on the clock. A thread that wakes late renders the next blocks at once to
// catch up; one that falls more than maxLag behind (a suspended machine, a starved thread) starts
// again from the present instead of rendering the missed time in a burst.
class RealTimePacer {
public:
    using Clock = std::chrono::steady_clock;

    RealTimePacer(Clock::duration period, Clock::time_point start, Clock::duration maxLag)
        : period_(period), maxLag_(maxLag), due_(start) {}

    // Called after a block has been rendered at `now`: when the next block is due.
    Clock::time_point next(Clock::time_point now) {
        due_ += period_;
        if (now - due_ > maxLag_)
            due_ = now;
        return due_;
    }

private:
    Clock::duration period_;
    Clock::duration maxLag_;
    Clock::time_point due_;
};

} // namespace zelk
