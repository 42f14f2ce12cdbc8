#include "platform/SoundFontLookup.h"

#include "files/FileNames.h"

#include <algorithm>
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

std::vector<std::filesystem::path> soundFontsIn(const std::filesystem::path& root,
                                                const std::filesystem::path& home) {
    namespace fs = std::filesystem;
    const fs::path shared = root / "usr/share";
    const fs::path folders[] = {shared / "sounds/sf2", shared / "sounds/sf3", shared / "soundfonts",
                                home / ".local/share/sounds/sf2", home / ".local/share/soundfonts"};
    std::vector<fs::path> found;
    for (const fs::path& dir : folders) {
        std::error_code ec;
        std::vector<fs::path> here;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string ext = lowercaseExtension(it->path());
            if ((ext == ".sf2" || ext == ".sf3") && fs::is_regular_file(it->path(), ec))
                here.push_back(it->path());
        }
        std::sort(here.begin(), here.end());
        found.insert(found.end(), here.begin(), here.end());
    }
    // The candidates the program tries by itself lead the list; a file reached by two links
    // is listed once.
    std::vector<fs::path> ordered;
    for (const fs::path& c : defaultSoundFontCandidates())
        for (const fs::path& f : found)
            if (f == root / c.relative_path())
                ordered.push_back(f);
    ordered.insert(ordered.end(), found.begin(), found.end());
    std::vector<fs::path> out, seen;
    for (const fs::path& f : ordered) {
        std::error_code ec;
        const fs::path real = fs::canonical(f, ec);
        if (std::find(seen.begin(), seen.end(), real) != seen.end())
            continue;
        seen.push_back(real);
        out.push_back(f);
    }
    return out;
}

} // namespace zelk
