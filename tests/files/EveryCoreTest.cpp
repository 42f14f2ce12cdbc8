#include "files/EveryCore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zelk {
namespace {

TEST(EveryCoreTest, EachIndexRunsOnceOnAWorkerOfItsOwn) {
    for (const size_t count : {size_t{0}, size_t{1}, size_t{3}, size_t{200}}) {
        std::vector<std::atomic<int>> runs(count);
        const size_t workers = workersFor(count, 3);
        EXPECT_GE(workers, 1u);
        EXPECT_LE(workers, std::max<size_t>(count, 1));
        std::vector<std::atomic<int>> busy(workers);
        std::atomic<bool> sharedWorker{false}, badWorker{false};
        onEveryCore(
            count,
            [&](size_t i, size_t worker) {
                if (worker >= workers) {
                    badWorker = true;
                    return;
                }
                if (busy[worker]++ != 0) // two jobs at once on one worker's state
                    sharedWorker = true;
                ++runs[i];
                --busy[worker];
            },
            3);
        for (size_t i = 0; i < count; ++i)
            EXPECT_EQ(runs[i], 1) << "index " << i << " of " << count;
        EXPECT_FALSE(sharedWorker);
        EXPECT_FALSE(badWorker);
    }
}

// Whichever job fails first in time, the caller hears of the lowest index that failed.
TEST(EveryCoreTest, TheLowestFailingIndexIsRethrown) {
    for (int round = 0; round < 5; ++round) {
        try {
            onEveryCore(16, [](size_t i, size_t) {
                if (i == 3) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    throw std::runtime_error("3");
                }
                if (i == 9 || i == 12)
                    throw std::runtime_error(std::to_string(i));
            });
            ADD_FAILURE() << "nothing was thrown";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "3");
        }
    }
}

} // namespace
} // namespace zelk
