#pragma once

#include "platform/SynthOutput.h"

#include <chrono>
#include <stop_token>
#include <thread>
#include <vector>

namespace zelk {

// Renders the synthesizer into nothing at real-time pace on its own thread, for machines without
// a sound card: a MIDI file player on the synthesizer runs on its sample timer and an audio tap
// still receives every block, so playback and recording work without sound.
class SilentClockOutput : public SynthOutput {
public:
    // 512 frames: about 12 ms at 44.1 kHz, fine enough for a player's position and cheap to wake.
    static constexpr int kBlockFrames = 512;

    static SynthOutputResult open(SoundFontSynth& synth);
    explicit SilentClockOutput(SoundFontSynth& synth);
    // Stops and joins the thread; it finishes at most the block it is rendering.
    ~SilentClockOutput() override = default;

    std::string_view name() const override { return kSilentClockOutput; }
    bool isRealTime() const override { return true; }

private:
    void runOnAudioThread(const std::stop_token& stop);

    SoundFontSynth& synth_;
    std::vector<float> left_;
    std::vector<float> right_;
    std::chrono::steady_clock::duration period_;
    std::jthread thread_; // last member: starts once the buffers exist, stops before they go
};

} // namespace zelk
