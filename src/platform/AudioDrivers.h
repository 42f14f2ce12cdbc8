#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

inline constexpr std::string_view kAudioDriverEnv = "ZELK_AUDIO_DRIVER";

// The sound servers found running. A driver of a server is tried only while its server runs:
// FluidSynth's jack driver starts a JACK server when none runs, and on a machine without a
// sound card that takes seconds and fails.
struct SoundServers {
    bool pulse = false; // PulseAudio or PipeWire's PulseAudio socket
    bool jack = false;
};

// FluidSynth's audio drivers that Debian builds, in the order the sound card is tried, each with
// the server it needs: the sound server first (its default driver, alsa, fails on desktops that
// keep the device for the server), then the device itself, jack and sdl2.
struct AudioDriverRow {
    std::string_view name;
    bool (*available)(const SoundServers& running);
};
std::span<const AudioDriverRow> audioDriverTable();

// The drivers to try: only `chosen` when the user picked one ($ZELK_AUDIO_DRIVER; an explicit
// jack may start its server), else the rows of the table whose server runs.
std::vector<std::string> audioDriverCandidates(std::optional<std::string_view> chosen,
                                               const SoundServers& running);
// A PulseAudio (or PipeWire) server answers: $PULSE_SERVER is set or its socket exists.
bool soundServerRuns();
SoundServers runningSoundServers();
std::optional<std::string_view> chosenAudioDriver();

// The buffer asked for first: 4 periods of 128 frames, 11.6 ms at 44.1 kHz, short enough that a
// preview note follows the click; a device that refuses gets FluidSynth's own defaults.
inline constexpr int kPeriodSize = 128;
inline constexpr int kPeriods = 4;

} // namespace zelk
