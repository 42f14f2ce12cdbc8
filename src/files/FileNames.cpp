#include "files/FileNames.h"

#include <algorithm>
#include <cctype>

namespace zelk {

std::string lowercaseExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace zelk
