#pragma once

#include "model/AppFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace zelk::bench {

// A private program folder for one benchmark fixture, removed afterwards.
class BenchFolder {
public:
    BenchFolder() : dir_(makeDir()), folder_(dir_) {}
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::filesystem::path& dir() const { return dir_; }
    AppFolder& folder() { return folder_; }

private:
    static std::filesystem::path makeDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelk-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        return tmpl;
    }
    std::filesystem::path dir_;
    AppFolder folder_;
};

} // namespace zelk::bench
