#include "platform/RunHandOver.h"

#include "render/ScheduleRun.h"

#include <algorithm>

namespace zelk {
namespace {

// The address that asks the rendering thread to give its run up; never dereferenced.
char stopMarkerByte;
ScheduleRun* const kStopMarker = reinterpret_cast<ScheduleRun*>(&stopMarkerByte);

} // namespace

void RunHandOver::freeRetired() {
    ScheduleRun* done = nullptr;
    while (retired_.pop(done))
        std::erase_if(handedOver_, [done](const auto& r) { return r.get() == done; });
}

void RunHandOver::handOver(ScheduleRun* next) {
    // A run handed over before and never taken is let go here: the rendering thread never saw it.
    if (ScheduleRun* old = pending_.exchange(next); old != nullptr && old != kStopMarker)
        std::erase_if(handedOver_, [old](const auto& r) { return r.get() == old; });
}

void RunHandOver::play(std::shared_ptr<ScheduleRun> run) {
    freeRetired();
    ScheduleRun* raw = run.get();
    handedOver_.push_back(std::move(run));
    handOver(raw);
}

void RunHandOver::stop() {
    freeRetired();
    handOver(kStopMarker);
}

ScheduleRun* RunHandOver::takeOnAudioThread(SynthRenderer& synth) {
    ScheduleRun* next = pending_.exchange(nullptr, std::memory_order_acq_rel);
    if (next == nullptr)
        return current_;
    if (current_ != nullptr) {
        if (!current_->finished())
            ScheduleRun::silenceOnAudioThread(synth);
        retired_.push(current_); // full only if the UI never collects: then it stays handed over
    }
    current_ = next == kStopMarker ? nullptr : next;
    return current_;
}

} // namespace zelk
