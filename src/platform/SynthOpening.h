#pragma once

#include "platform/SoundFontSynth.h"
#include "platform/SynthOutput.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zelk {

enum class OpenStatus {
    Ok,
    NoAudioDevice, // no sound card: the synthesizer runs on the silent clock
    NoSoundFont,   // no usable SoundFont: every message is accepted and nothing is heard
};

// The message the window shows whenever the opening is not Ok.
inline constexpr std::string_view kMidiOpenFailedMessage = "MIDIデバイスオープンに失敗しました";

struct SynthOptions {
    std::optional<std::filesystem::path> soundFont; // from findSoundFont; nullopt = none found
    std::string_view output = kAudioDeviceOutput;   // a name of the output table
    double sampleRate = 44100.0;
    std::string driver = {}; // the sound card's driver chosen in the settings; "" automatic
    int periodFrames = 0;    // its period; 0 the short default
};

struct SynthOpening {
    std::unique_ptr<SoundFontSynth> synth; // always set and running, whatever the status
    OpenStatus status = OpenStatus::Ok;
    std::string detail; // what went wrong, in English, for a log line; empty when Ok
};

// Creates the synthesizer, loads the SoundFont and starts the output. A sound card that cannot be
// opened gives NoAudioDevice and the silent clock instead; without a SoundFont (NoSoundFont) the
// sound card is left alone and the silent clock runs. An output name that is not in the table
// throws std::invalid_argument naming the valid ones.
SynthOpening openSoundFontSynth(const SynthOptions& options);

} // namespace zelk
