#include "platform/AudioDeviceOutput.h"

#include "platform/SoundFontSynth.h"

namespace zelk {
namespace {

std::string driverName(fluid_settings_t* settings) {
    char* name = nullptr;
    if (fluid_settings_dupstr(settings, "audio.driver", &name) != FLUID_OK || name == nullptr)
        return "default";
    std::string result(name);
    fluid_free(name);
    return result;
}

} // namespace

SynthOutputResult AudioDeviceOutput::open(SoundFontSynth& synth) {
    fluid_settings_t* settings = synth.fluidSettings();
    fluid_audio_driver_t* driver = new_fluid_audio_driver2(settings, processOnAudioThread, &synth);
    if (driver == nullptr)
        return {nullptr, "the \"" + driverName(settings) + "\" audio driver found no sound device"};
    return {std::unique_ptr<SynthOutput>(new AudioDeviceOutput(driver)), {}};
}

AudioDeviceOutput::~AudioDeviceOutput() {
    delete_fluid_audio_driver(driver_);
}

// The driver hands planar buffers, at least two (left, right) for a stereo device; any
// further outputs and the effect buffers stay silent because the synthesizer mixes its effects
// into the two sides.
int AudioDeviceOutput::processOnAudioThread(void* synth, int frames, int, float*[], int outCount,
                                            float* out[]) {
    if (outCount < 2 || frames <= 0)
        return FLUID_OK;
    const auto n = static_cast<size_t>(frames);
    static_cast<SoundFontSynth*>(synth)->renderOnAudioThread({out[0], n}, {out[1], n});
    return FLUID_OK;
}

} // namespace zelk
