#pragma once

#include <cstdint>
#include <filesystem>

namespace zelk {

// Replaces a 16-bit WAV file with its frames from..to (to exclusive); frames before 0 or
// past the end become silence. False when the file cannot be read or written (it is left
// as it was then).
bool cutWav(const std::filesystem::path& file, int64_t from, int64_t to);

} // namespace zelk
