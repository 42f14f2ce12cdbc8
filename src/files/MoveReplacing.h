#pragma once

#include <filesystem>

namespace zelk {

// Moves `source` to `target` the way ReplacingFile writes: the target name shows the old file
// until the new one is complete, even across file systems. The source is removed only after the
// target is in place. Errors throw std::system_error; the source then stays.
void moveReplacing(const std::filesystem::path& source, const std::filesystem::path& target);

} // namespace zelk
