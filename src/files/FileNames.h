#pragma once

#include <filesystem>
#include <string>

namespace zelk {

// The file name's extension in lower case (".mid" for "Song.MID"), "" without one.
std::string lowercaseExtension(const std::filesystem::path& path);

} // namespace zelk
