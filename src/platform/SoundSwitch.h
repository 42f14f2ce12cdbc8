#pragma once

#include "ports/SoundSetup.h"

#include <filesystem>
#include <fluidsynth.h>

namespace zelk {

class SoundFontSynth;

// The sound settings on the running synthesizer: a SoundFont is read into a synthesizer of
// its own on a worker thread while the old one plays on, then swapped in with the output
// stopped for a moment; the output opens anew with the chosen driver and buffer, falling
// back to the previous ones when the sound card refuses them.
class SoundSwitch : public SoundSetup {
public:
    SoundSwitch(SoundFontSynth& synth, std::string soundFont, std::filesystem::path home);
    ~SoundSwitch() override;
    SoundSwitch(const SoundSwitch&) = delete;
    SoundSwitch& operator=(const SoundSwitch&) = delete;

    std::vector<std::string> soundFontsFound() const override;
    std::vector<std::string> drivers() const override;
    SoundChoice current() const override;
    std::string outputDescription() const override;
    double sampleRate() const override;
    std::string prepareSoundFont(const std::string& file) override;
    std::string apply(const SoundChoice& choice) override;

private:
    void discardPrepared();
    // The sound card, else the silent clock; false when only the silent clock opened.
    bool startOutput(std::string& why);

    SoundFontSynth& synth_;
    std::string soundFont_;
    std::filesystem::path home_;
    // What prepareSoundFont read, waiting for apply (the caller joins the worker first).
    fluid_synth_t* prepared_ = nullptr;
    int preparedId_ = -1;
    std::string preparedFile_;
};

} // namespace zelk
