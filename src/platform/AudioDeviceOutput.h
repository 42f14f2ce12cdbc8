#pragma once

#include "platform/SynthOutput.h"

#include <fluidsynth.h>
#include <string>

namespace zelk {

// The sound card through one of FluidSynth's audio drivers, tried in the order of
// audioDriverCandidates (AudioDrivers.h). The driver's thread calls back into
// SoundFontSynth::renderOnAudioThread instead of rendering the synthesizer itself, so the audio
// tap sees what the speakers get.
class AudioDeviceOutput : public SynthOutput {
public:
    static SynthOutputResult open(SoundFontSynth& synth);
    ~AudioDeviceOutput() override;
    AudioDeviceOutput(const AudioDeviceOutput&) = delete;
    AudioDeviceOutput& operator=(const AudioDeviceOutput&) = delete;

    std::string_view name() const override { return kAudioDeviceOutput; }
    bool isRealTime() const override { return true; }
    const std::string& driverName() const { return driverName_; }
    // The buffer's length as configured: period size x periods / sample rate.
    double latencyMs() const { return latencyMs_; }

private:
    AudioDeviceOutput(fluid_audio_driver_t* driver, std::string name, double latencyMs)
        : driver_(driver), driverName_(std::move(name)), latencyMs_(latencyMs) {}
    static int processOnAudioThread(void* synth, int frames, int fxCount, float* fx[], int outCount,
                                    float* out[]);

    fluid_audio_driver_t* driver_;
    std::string driverName_;
    double latencyMs_;
};

} // namespace zelk
