#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// FluidSynth's audio drivers that Debian builds, in the order the sound card is tried: the sound
// server first where one runs (its default driver, alsa, fails on desktops that keep the device
// for the server), then the device itself, jack and sdl2.
inline constexpr std::string_view kAudioDriverEnv = "ZELK_AUDIO_DRIVER";

// The drivers to try: only `chosen` when the user picked one ($ZELK_AUDIO_DRIVER), else the
// table's order, with pulseaudio only while a sound server runs.
std::vector<std::string> audioDriverCandidates(std::optional<std::string_view> chosen,
                                               bool soundServerRuns);
// A PulseAudio (or PipeWire) server answers: $PULSE_SERVER is set or its socket exists.
bool soundServerRuns();
std::optional<std::string_view> chosenAudioDriver();

// The buffer asked for first: 4 periods of 128 frames, 11.6 ms at 44.1 kHz, short enough that a
// preview note follows the click; a device that refuses gets FluidSynth's own defaults.
inline constexpr int kPeriodSize = 128;
inline constexpr int kPeriods = 4;

} // namespace zelk
