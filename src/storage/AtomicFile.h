#pragma once

#include <filesystem>
#include <string_view>

namespace zelk {

// Replaces the file at target with data so that a crash or a failure at any point leaves
// either the old file or the new one, never a mix: the data goes to a temporary file in
// the same folder, is flushed to disk, and is renamed over the target. A symlinked target
// keeps its link; the file it points to is replaced. An existing target's permission bits
// carry over. Throws std::system_error (one-line message naming the path) and leaves the
// old file as it was.
void writeFileAtomically(const std::filesystem::path& target, std::string_view data);

} // namespace zelk
