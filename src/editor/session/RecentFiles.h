#pragma once

#include <array>
#include <string>

namespace zelk {

inline constexpr int kRecentEntries = 5;
// The recent-file menu Mrireki(0..4): full paths, most recent first, "" where unused.
using RecentFiles = std::array<std::string, kRecentEntries>;

// UpdateRecentMenu: path moves to the head; when it was not among the first four
// entries, the oldest entry falls out.
void UpdateRecentMenu(RecentFiles& recent, const std::string& path);

// FileName of a path: the text after its last slash (the whole path when it has none).
std::string fileNameOf(const std::string& path);

} // namespace zelk
