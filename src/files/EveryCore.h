#pragma once

#include <cstddef>
#include <functional>

namespace zelk {

// How many threads onEveryCore uses for `count` jobs: no more than the jobs, the machine's
// cores and `maxWorkers`, at least one.
size_t workersFor(size_t count, unsigned maxWorkers = 4);

// Runs job(index, worker) for every index 0 .. count - 1 once, on workersFor(count,
// maxWorkers) threads (the calling one is worker 0), and returns when all are done. A worker
// runs one job at a time, so state kept per worker needs no lock; otherwise the jobs must
// share only what they read. If jobs throw, the exception of the lowest index that threw is
// rethrown, whatever the timing.
void onEveryCore(size_t count, const std::function<void(size_t index, size_t worker)>& job,
                 unsigned maxWorkers = 4);

} // namespace zelk
