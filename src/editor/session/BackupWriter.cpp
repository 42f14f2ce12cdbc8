#include "editor/session/BackupWriter.h"

#include <chrono>
#include <cstdio>
#include <exception>

namespace zelk {

bool BackupWriter::start(const Song& song, const AppFolder& folder) {
    if (busy())
        return false;
    try {
        buildProjectText(song, folder, buffers_);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: backup failed: %s\n", e.what());
        failedToBuild_ = false;
        return false;
    }
    // The worker owns the text until it is done; the next start waits for that.
    writing_ = std::async(std::launch::async, [this, path = folder.backup()] {
        try {
            writeProjectFile(path, buffers_.text, compressor_);
            return true;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zelk: backup failed: %s\n", e.what());
            return false;
        }
    });
    return true;
}

bool BackupWriter::busy() const {
    return writing_.valid() &&
           writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

std::optional<bool> BackupWriter::result() {
    if (failedToBuild_)
        return std::exchange(failedToBuild_, std::nullopt);
    if (!writing_.valid() || busy())
        return std::nullopt;
    return writing_.get();
}

void BackupWriter::wait() {
    if (writing_.valid())
        writing_.wait();
}

} // namespace zelk
