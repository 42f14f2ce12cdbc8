#include "model/AppFolder.h"

#include "model/Limits.h"

#include <cstdlib>
#include <stdexcept>

namespace zelk {

AppFolder::AppFolder(std::filesystem::path dir) : dir_(std::move(dir)) {
    std::filesystem::create_directories(dir_);
}

AppFolder AppFolder::fromEnvironment() {
    auto env = [](const char* name) -> std::string {
        const char* v = std::getenv(name);
        return v ? std::string(v) : std::string();
    };
    if (auto home = env("ZELK_HOME"); !home.empty())
        return AppFolder(home);
    if (auto data = env("XDG_DATA_HOME"); !data.empty())
        return AppFolder(std::filesystem::path(data) / "zelk");
    auto home = env("HOME");
    if (home.empty())
        throw std::runtime_error("neither ZELK_HOME nor HOME is set");
    return AppFolder(std::filesystem::path(home) / ".local" / "share" / "zelk");
}

std::filesystem::path AppFolder::workFile(int part) const {
    if (part < 0 || part >= kParts)
        throw std::out_of_range("part outside 0..15");
    return file(std::to_string(part));
}

void AppFolder::workFileChanged(int part) const {
    ++workFileVersions_.at(static_cast<size_t>(part));
}

void AppFolder::allWorkFilesChanged() const {
    for (auto& v : workFileVersions_)
        ++v;
}

uint64_t AppFolder::workFileVersion(int part) const {
    return workFileVersions_.at(static_cast<size_t>(part));
}

std::filesystem::path AppFolder::snapshotFile(int n) const {
    return file("undo" + std::to_string(n));
}

} // namespace zelk
