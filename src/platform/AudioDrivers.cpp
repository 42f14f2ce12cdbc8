#include "platform/AudioDrivers.h"

#include "platform/JackProbe.h"

#include <cstdlib>
#include <filesystem>

namespace zelk {

namespace {

bool always(const SoundServers&) {
    return true;
}

constexpr AudioDriverRow kDrivers[] = {
    {"pulseaudio", [](const SoundServers& s) { return s.pulse; }},
    {"alsa", always},
    {"jack", [](const SoundServers& s) { return s.jack; }},
    {"sdl2", always},
};

} // namespace

std::span<const AudioDriverRow> audioDriverTable() {
    return kDrivers;
}

std::vector<std::string> audioDriverCandidates(std::optional<std::string_view> chosen,
                                               const SoundServers& running) {
    if (chosen && !chosen->empty())
        return {std::string(*chosen)};
    std::vector<std::string> drivers;
    for (const AudioDriverRow& row : kDrivers)
        if (row.available(running))
            drivers.emplace_back(row.name);
    return drivers;
}

SoundServers runningSoundServers() {
    return {soundServerRuns(), jackServerRuns()};
}

bool soundServerRuns() {
    if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && *server != '\0')
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0')
        return false;
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(runtime) / "pulse" / "native", ec);
}

std::optional<std::string_view> chosenAudioDriver() {
    const char* chosen = std::getenv(std::string(kAudioDriverEnv).c_str());
    if (chosen == nullptr || *chosen == '\0')
        return std::nullopt;
    return std::string_view(chosen);
}

} // namespace zelk
