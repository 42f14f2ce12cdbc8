#include "files/EveryCore.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace zelk {

size_t workersFor(size_t count, unsigned maxWorkers) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return std::max<size_t>(1, std::min<size_t>({count, cores, maxWorkers}));
}

void onEveryCore(size_t count, const std::function<void(size_t, size_t)>& job,
                 unsigned maxWorkers) {
    std::vector<std::exception_ptr> failures(count);
    std::atomic<size_t> next{0};
    const auto work = [&](size_t worker) {
        for (size_t i = next++; i < count; i = next++) {
            try {
                job(i, worker);
            } catch (...) {
                failures[i] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workersFor(count, maxWorkers); ++w) {
        try {
            threads.emplace_back(work, w);
        } catch (const std::system_error&) {
            break; // no thread to be had: the ones running share the jobs
        }
    }
    work(0);
    for (std::thread& t : threads)
        t.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

} // namespace zelk
