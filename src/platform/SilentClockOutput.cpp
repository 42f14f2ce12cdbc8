#include "platform/SilentClockOutput.h"

#include "platform/RealTimePacer.h"
#include "platform/SoundFontSynth.h"

namespace zelk {
namespace {

// Further behind than this, the clock gives up catching up (see RealTimePacer).
constexpr std::chrono::milliseconds kMaxLag{250};

std::chrono::steady_clock::duration blockDuration(double sampleRate) {
    const std::chrono::duration<double> seconds(SilentClockOutput::kBlockFrames / sampleRate);
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(seconds);
}

} // namespace

SynthOutputResult SilentClockOutput::open(SoundFontSynth& synth) {
    return {std::make_unique<SilentClockOutput>(synth), {}};
}

SilentClockOutput::SilentClockOutput(SoundFontSynth& synth)
    : synth_(synth), left_(kBlockFrames), right_(kBlockFrames),
      period_(blockDuration(synth.sampleRate())),
      thread_([this](std::stop_token stop) { runOnAudioThread(stop); }) {}

void SilentClockOutput::runOnAudioThread(const std::stop_token& stop) {
    RealTimePacer pacer(period_, std::chrono::steady_clock::now(), kMaxLag);
    while (!stop.stop_requested()) {
        synth_.renderOnAudioThread(left_, right_);
        std::this_thread::sleep_until(pacer.next(std::chrono::steady_clock::now()));
    }
}

} // namespace zelk
