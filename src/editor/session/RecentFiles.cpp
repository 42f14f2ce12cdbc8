#include "editor/session/RecentFiles.h"

namespace zelk {

void UpdateRecentMenu(RecentFiles& recent, const std::string& path) {
    int i = kRecentEntries - 1;
    for (int k = 0; k < kRecentEntries - 1; ++k)
        if (recent[static_cast<size_t>(k)] == path) {
            i = k;
            break;
        }
    for (int j = i; j >= 1; --j)
        recent[static_cast<size_t>(j)] = recent[static_cast<size_t>(j - 1)];
    recent[0] = path;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace zelk
