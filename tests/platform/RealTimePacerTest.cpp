#include "platform/RealTimePacer.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using std::chrono::milliseconds;
using Clock = RealTimePacer::Clock;

Clock::time_point at(int ms) {
    return Clock::time_point(milliseconds(ms));
}

TEST(RealTimePacer, KeepsTheAveragePaceAndRestartsWhenFarBehind) {
    // Blocks of 10 ms, starting at 0, giving up catching up beyond 100 ms.
    RealTimePacer pacer(milliseconds(10), at(0), milliseconds(100));
    struct Step {
        int now;  // when the block before has been rendered
        int next; // when the next block is due
    };
    const Step steps[] = {
        {1, 10},    // on time: one period after the start
        {12, 20},   // woke 2 ms late: the next is still due on the grid
        {35, 30},   // late by more than a period: due at once, to catch up
        {36, 40},   // caught up
        {140, 50},  // 90 ms behind: still catching up
        {161, 161}, // more than 100 ms behind: start again from now
        {162, 171}, // and keep the period from there
    };
    for (const auto& s : steps)
        EXPECT_EQ(pacer.next(at(s.now)), at(s.next)) << "now " << s.now;
}

} // namespace
} // namespace zelk
