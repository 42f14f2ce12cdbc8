#include "editor/transport/RecordingTarget.h"

#include "model/Song.h"

#include <algorithm>

namespace zelk {

std::string fileNameFromTitle(std::string_view title) {
    std::string name(title);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    const bool onlyDots = std::all_of(name.begin(), name.end(), [](char c) { return c == '.'; });
    return onlyDots ? std::string("無題") : name;
}

std::filesystem::path defaultRecordingTarget(const Song& song,
                                             const std::filesystem::path& musicFolder,
                                             std::string_view extension) {
    const std::filesystem::path folder =
        song.FilePath.empty() ? musicFolder : std::filesystem::path(song.FilePath).parent_path();
    return folder / (fileNameFromTitle(song.SongTitle) + std::string(extension));
}

} // namespace zelk
