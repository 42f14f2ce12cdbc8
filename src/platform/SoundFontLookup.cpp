#include "platform/SoundFontLookup.h"

#include <cstdlib>
#include <system_error>

namespace zelk {

std::vector<std::filesystem::path> defaultSoundFontCandidates() {
    const std::filesystem::path dir = "/usr/share/sounds/sf2";
    return {dir / "default-GM.sf2", dir / "FluidR3_GM.sf2", dir / "TimGM6mb.sf2"};
}

std::optional<std::filesystem::path>
findSoundFont(const char* overridePath, std::span<const std::filesystem::path> candidates) {
    if (overridePath != nullptr && *overridePath != '\0')
        return std::filesystem::path(overridePath);
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> findSoundFontFromEnvironment() {
    const auto candidates = defaultSoundFontCandidates();
    return findSoundFont(std::getenv("ZELK_SOUNDFONT"), candidates);
}

} // namespace zelk
