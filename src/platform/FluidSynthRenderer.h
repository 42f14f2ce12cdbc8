#pragma once

#include "platform/SoundFontSynth.h"
#include "ports/SynthRenderer.h"

#include <filesystem>

namespace zelk {

// The window's synthesizer and SoundFont, rendered offline by the caller.
class FluidSynthRenderer : public SynthRenderer {
public:
    // Throws std::runtime_error when the SoundFont cannot be read.
    FluidSynthRenderer(int sampleRate, const std::filesystem::path& soundFont, int cpuCores = 1);

    void send(uint32_t shortMessage) override { synth_.send(shortMessage); }
    int sampleRate() const override { return rate_; }
    void render(std::span<float> left, std::span<float> right) override {
        synth_.renderOnAudioThread(left, right);
    }

private:
    int rate_;
    SoundFontSynth synth_;
};

} // namespace zelk
