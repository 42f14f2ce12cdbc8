#include "platform/SynthOpening.h"

#include <stdexcept>

namespace zelk {

SynthOpening openSoundFontSynth(const SynthOptions& options) {
    SynthOpening result;
    result.synth = std::make_unique<SoundFontSynth>(options.sampleRate);
    result.synth->setAudioChoice({options.driver, options.periodFrames});
    std::string_view outputName = options.output;
    if (!options.soundFont) {
        result.status = OpenStatus::NoSoundFont;
        result.detail = "no General MIDI SoundFont found; set $ZELK_SOUNDFONT or install "
                        "timgm6mb-soundfont or fluid-soundfont-gm";
    } else if (!result.synth->loadSoundFont(*options.soundFont)) {
        result.status = OpenStatus::NoSoundFont;
        result.detail = "cannot load the SoundFont " + options.soundFont->string();
    }
    // Nothing to hear: keep the sound card free for other programs.
    if (result.status == OpenStatus::NoSoundFont && outputName == kAudioDeviceOutput)
        outputName = kSilentClockOutput;

    SynthOutputResult made = makeSynthOutput(outputName, *result.synth);
    if (!made.output && outputName == kAudioDeviceOutput) {
        result.status = OpenStatus::NoAudioDevice;
        result.detail = made.error + "; running on the silent clock";
        made = makeSynthOutput(kSilentClockOutput, *result.synth);
    }
    if (!made.output)
        throw std::invalid_argument(made.error);
    result.synth->start(std::move(made.output));
    return result;
}

} // namespace zelk
