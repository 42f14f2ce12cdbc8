#include "platform/AudioDrivers.h"

#include <cstdlib>
#include <filesystem>

namespace zelk {

std::vector<std::string> audioDriverCandidates(std::optional<std::string_view> chosen,
                                               bool serverRuns) {
    if (chosen && !chosen->empty())
        return {std::string(*chosen)};
    std::vector<std::string> drivers;
    if (serverRuns)
        drivers.emplace_back("pulseaudio");
    for (const char* d : {"alsa", "jack", "sdl2"})
        drivers.emplace_back(d);
    return drivers;
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
