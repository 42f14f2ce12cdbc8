#pragma once

#include "platform/SynthOutput.h"

#include <fluidsynth.h>

namespace zelk {

// The sound card through FluidSynth's default audio driver ("audio.driver"). The driver's thread
// calls back into SoundFontSynth::renderOnAudioThread instead of rendering the synthesizer itself,
// so the audio tap sees what the speakers get.
class AudioDeviceOutput : public SynthOutput {
public:
    static SynthOutputResult open(SoundFontSynth& synth);
    ~AudioDeviceOutput() override;
    AudioDeviceOutput(const AudioDeviceOutput&) = delete;
    AudioDeviceOutput& operator=(const AudioDeviceOutput&) = delete;

    std::string_view name() const override { return kAudioDeviceOutput; }
    bool isRealTime() const override { return true; }

private:
    explicit AudioDeviceOutput(fluid_audio_driver_t* driver) : driver_(driver) {}
    static int processOnAudioThread(void* synth, int frames, int fxCount, float* fx[], int outCount,
                                    float* out[]);

    fluid_audio_driver_t* driver_;
};

} // namespace zelk
