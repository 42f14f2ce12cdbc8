#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelk {

struct Song;

// The song title as a file name: characters a file name cannot hold on this system or on the
// usual shared ones (/ \ : * ? " < > | and control characters) become "_"; an empty name or one
// of only dots becomes "無題".
std::string fileNameFromTitle(std::string_view title);

// Where a recording of the song goes by default: beside the project file when the song has one,
// else in `musicFolder`, named after the title, with `extension` (".wav" or ".wma").
std::filesystem::path defaultRecordingTarget(const Song& song,
                                             const std::filesystem::path& musicFolder,
                                             std::string_view extension);

} // namespace zelk
