#pragma once

#include "platform/SpscRing.h"

#include <atomic>
#include <memory>
#include <vector>

namespace zelk {

class ScheduleRun;
class SynthRenderer;

// Hands runs from the UI thread to a rendering thread without a lock: the run to play goes
// through an atomic pointer, the run it replaces comes back through a ring and is freed on
// the UI thread at the next hand-over, so the rendering thread never frees.
class RunHandOver {
public:
    RunHandOver() = default;
    RunHandOver(const RunHandOver&) = delete;
    RunHandOver& operator=(const RunHandOver&) = delete;

    // UI thread: plays `run` from the next block on; stop gives the current one up.
    void play(std::shared_ptr<ScheduleRun> run);
    void stop();

    // Rendering thread, at the start of a block: takes what was handed over (a run given up
    // while it played is silenced through `synth` first) and returns the run to advance.
    ScheduleRun* takeOnAudioThread(SynthRenderer& synth);

private:
    void freeRetired();
    void handOver(ScheduleRun* next);

    std::atomic<ScheduleRun*> pending_{nullptr};
    ScheduleRun* current_ = nullptr;                       // the rendering thread's
    SpscRing<ScheduleRun*> retired_{64};                   // rendering thread -> UI
    std::vector<std::shared_ptr<ScheduleRun>> handedOver_; // UI: what the rendering thread may hold
};

} // namespace zelk
