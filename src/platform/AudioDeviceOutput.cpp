#include "platform/AudioDeviceOutput.h"

#include "platform/AudioDrivers.h"
#include "platform/SoundFontSynth.h"

#include <cstdio>

namespace zelk {
namespace {

int defaultInt(fluid_settings_t* s, const char* name) {
    int value = 0;
    fluid_settings_getint_default(s, name, &value);
    return value;
}

double configuredLatencyMs(fluid_settings_t* s, double sampleRate) {
    int size = 0, periods = 0;
    fluid_settings_getint(s, "audio.period-size", &size);
    fluid_settings_getint(s, "audio.periods", &periods);
    return 1000.0 * size * periods / sampleRate;
}

// The short buffer first, then the driver's defaults.
fluid_audio_driver_t* openDriver(SoundFontSynth& synth, fluid_audio_func_t process) {
    fluid_settings_t* s = synth.fluidSettings();
    const int chosen = synth.audioChoice().periodFrames;
    fluid_settings_setint(s, "audio.period-size", chosen > 0 ? chosen : kPeriodSize);
    fluid_settings_setint(s, "audio.periods", kPeriods);
    if (auto* d = new_fluid_audio_driver2(s, process, &synth))
        return d;
    fluid_settings_setint(s, "audio.period-size", defaultInt(s, "audio.period-size"));
    fluid_settings_setint(s, "audio.periods", defaultInt(s, "audio.periods"));
    return new_fluid_audio_driver2(s, process, &synth);
}

} // namespace

SynthOutputResult AudioDeviceOutput::open(SoundFontSynth& synth) {
    fluid_settings_t* settings = synth.fluidSettings();
    // On JACK the synthesizer's ports go to the system's playback ports, as on any other
    // driver the sound reaches the speakers without the user wiring it.
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    std::string tried;
    // $ZELK_AUDIO_DRIVER first, then the driver chosen in the sound settings.
    std::optional<std::string_view> chosen = chosenAudioDriver();
    if (!chosen && !synth.audioChoice().driver.empty())
        chosen = synth.audioChoice().driver;
    for (const std::string& name : audioDriverCandidates(chosen, runningSoundServers())) {
        tried += (tried.empty() ? "" : ", ") + name;
        if (fluid_settings_setstr(settings, "audio.driver", name.c_str()) != FLUID_OK)
            continue; // not built into this FluidSynth
        if (fluid_audio_driver_t* driver = openDriver(synth, processOnAudioThread)) {
            const double ms = configuredLatencyMs(settings, synth.sampleRate());
            std::fprintf(stderr, "zelk: audio driver \"%s\" opened, %.1f ms buffer\n", name.c_str(),
                         ms);
            return {std::unique_ptr<SynthOutput>(new AudioDeviceOutput(driver, name, ms)), {}};
        }
    }
    return {nullptr, "no audio driver found a sound device (tried " + tried + ")"};
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
