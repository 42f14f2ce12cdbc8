#include "platform/FluidLog.h"

#include <atomic>
#include <cstdio>
#include <fluidsynth.h>

namespace zelk {
namespace {

std::atomic<FluidErrorSink> currentSink{nullptr};
std::atomic<bool> routed{false};

void forwardError(int, const char* message, void*) {
    if (const FluidErrorSink sink = currentSink.load())
        sink(message);
}

} // namespace

void writeFluidErrorToStderr(const char* message) {
    std::fprintf(stderr, "zelk: fluidsynth: %s\n", message);
}

void routeFluidLog(FluidErrorSink sink) {
    routed = true;
    currentSink = sink;
    fluid_set_log_function(FLUID_PANIC, forwardError, nullptr);
    fluid_set_log_function(FLUID_ERR, forwardError, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
}

void routeFluidLogByDefault() {
    if (!routed.exchange(true))
        routeFluidLog(writeFluidErrorToStderr);
}

} // namespace zelk
