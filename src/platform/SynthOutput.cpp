#include "platform/SynthOutput.h"

#include "platform/AudioDeviceOutput.h"
#include "platform/SilentClockOutput.h"

#include <array>

namespace zelk {
namespace {

class OfflineOutput : public SynthOutput {
public:
    std::string_view name() const override { return kOfflineOutput; }
    bool isRealTime() const override { return false; }
};

SynthOutputResult openOfflineOutput(SoundFontSynth&) {
    return {std::make_unique<OfflineOutput>(), {}};
}

using OutputMaker = SynthOutputResult (*)(SoundFontSynth&);

struct OutputChoice {
    std::string_view name;
    OutputMaker make;
};

constexpr std::array kOutputChoices{
    OutputChoice{kAudioDeviceOutput, &AudioDeviceOutput::open},
    OutputChoice{kSilentClockOutput, &SilentClockOutput::open},
    OutputChoice{kOfflineOutput, &openOfflineOutput},
};

} // namespace

std::vector<std::string_view> synthOutputNames() {
    std::vector<std::string_view> names;
    for (const auto& choice : kOutputChoices)
        names.push_back(choice.name);
    return names;
}

SynthOutputResult makeSynthOutput(std::string_view name, SoundFontSynth& synth) {
    std::string valid;
    for (const auto& choice : kOutputChoices) {
        if (choice.name == name)
            return choice.make(synth);
        valid += (valid.empty() ? "" : ", ") + std::string(choice.name);
    }
    return {nullptr,
            "unknown synthesizer output \"" + std::string(name) + "\" (valid: " + valid + ")"};
}

} // namespace zelk
