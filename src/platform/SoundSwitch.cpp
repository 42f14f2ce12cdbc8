#include "platform/SoundSwitch.h"

#include "platform/AudioDeviceOutput.h"
#include "platform/AudioDrivers.h"
#include "platform/SoundFontLookup.h"
#include "platform/SoundFontSynth.h"

#include <cstdio>

namespace zelk {

SoundSwitch::SoundSwitch(SoundFontSynth& synth, std::string soundFont, std::filesystem::path home)
    : synth_(synth), soundFont_(std::move(soundFont)), home_(std::move(home)) {}

SoundSwitch::~SoundSwitch() {
    discardPrepared();
}

void SoundSwitch::discardPrepared() {
    if (prepared_ != nullptr)
        delete_fluid_synth(prepared_);
    prepared_ = nullptr;
}

std::vector<std::string> SoundSwitch::soundFontsFound() const {
    std::vector<std::string> names;
    for (const auto& p : soundFontsIn("/", home_))
        names.push_back(p.string());
    return names;
}

std::vector<std::string> SoundSwitch::drivers() const {
    std::vector<std::string> names;
    for (const AudioDriverRow& row : audioDriverTable())
        names.emplace_back(row.name);
    return names;
}

SoundChoice SoundSwitch::current() const {
    return {soundFont_, synth_.audioChoice().driver, synth_.audioChoice().periodFrames};
}

std::string SoundSwitch::outputDescription() const {
    const auto* device = dynamic_cast<const AudioDeviceOutput*>(synth_.output());
    if (device == nullptr)
        return "サウンドカードが開けないため、音は出ていません";
    if (device->driverName() == "jack")
        return "jack（バッファの長さはJACKサーバーの設定に従います）";
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", device->latencyMs());
    return device->driverName() + "、バッファ " + ms + " ms";
}

double SoundSwitch::sampleRate() const {
    return synth_.sampleRate();
}

std::string SoundSwitch::prepareSoundFont(const std::string& file) {
    discardPrepared();
    fluid_synth_t* synth = new_fluid_synth(synth_.fluidSettings());
    if (synth == nullptr)
        return "シンセサイザーを作れません（メモリ不足）";
    const int id = fluid_synth_sfload(synth, file.c_str(), 1);
    if (id == FLUID_FAILED) {
        delete_fluid_synth(synth);
        return "FluidSynthが読めるSoundFontではありません：" + file;
    }
    prepared_ = synth;
    preparedId_ = id;
    preparedFile_ = file;
    return {};
}

bool SoundSwitch::startOutput(std::string& why) {
    SynthOutputResult made = makeSynthOutput(kAudioDeviceOutput, synth_);
    if (made.output) {
        synth_.start(std::move(made.output));
        return true;
    }
    std::fprintf(stderr, "zelk: %s\n", made.error.c_str());
    const std::string& driver = synth_.audioChoice().driver;
    why = "ドライバ「" + (driver.empty() ? std::string("自動") : driver) +
          "」でサウンドカードを開けません";
    synth_.start(makeSynthOutput(kSilentClockOutput, synth_).output);
    return false;
}

std::string SoundSwitch::apply(const SoundChoice& choice) {
    const SoundFontSynth::AudioChoice before = synth_.audioChoice();
    const bool wasPlaying = dynamic_cast<const AudioDeviceOutput*>(synth_.output()) != nullptr;
    synth_.start(nullptr); // nothing renders while the synthesizer changes
    if (prepared_ != nullptr && preparedFile_ != choice.soundFont)
        discardPrepared(); // read for a choice given up since
    if (prepared_ != nullptr) {
        synth_.adoptSynth(prepared_, preparedId_);
        soundFont_ = preparedFile_;
        prepared_ = nullptr;
    }
    synth_.setAudioChoice({choice.driver, choice.periodFrames});
    std::string why;
    if (startOutput(why))
        return {};
    const bool outputChanged =
        choice.driver != before.driver || choice.periodFrames != before.periodFrames;
    synth_.setAudioChoice(before);
    std::string again;
    if (wasPlaying && outputChanged)
        startOutput(again);
    // Without a sound card before, a silent clock now is no news.
    return wasPlaying || outputChanged ? why : std::string();
}

} // namespace zelk
