#pragma once

#include "model/AppFolder.h"

#include <filesystem>
#include <string>

namespace zelk::test {

// A fresh program folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    AppFolder& folder() { return folder_; }

private:
    std::filesystem::path path_;
    AppFolder folder_;
};

// Contents of a file as a string ("" when missing).
std::string slurp(const std::filesystem::path& p);

} // namespace zelk::test
