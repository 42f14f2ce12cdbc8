#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

class SoundFontSynth;

// The names of the output table (SynthOutput.cpp), the one place that knows what can drive the
// synthesizer's rendering.
// The sound card, through FluidSynth's default audio driver.
inline constexpr std::string_view kAudioDeviceOutput = "audio";
// No sound card: a thread renders into nothing at real-time pace, so that a MIDI file player and
// an audio tap on the synthesizer keep their timing.
inline constexpr std::string_view kSilentClockOutput = "silent";
// No clock: the caller renders (SoundFontSynth::renderOffline), as fast as the machine allows.
inline constexpr std::string_view kOfflineOutput = "offline";

// What drives a synthesizer's rendering. Destroying an output stops it: afterwards nothing of it
// runs on any thread.
class SynthOutput {
public:
    virtual ~SynthOutput() = default;
    virtual std::string_view name() const = 0;
    // True when the output renders on its own thread at the pace of the clock on the wall.
    virtual bool isRealTime() const = 0;
};

struct SynthOutputResult {
    std::unique_ptr<SynthOutput> output; // null when the output could not start
    std::string error;                   // why, when output is null
};

// The valid output names, in table order.
std::vector<std::string_view> synthOutputNames();

// Starts the named output on synth; it renders from now on. An unknown name gives an error that
// lists the valid names; a sound card that cannot be opened gives the audio driver's name.
SynthOutputResult makeSynthOutput(std::string_view name, SoundFontSynth& synth);

} // namespace zelk
