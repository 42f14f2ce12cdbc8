#pragma once

#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/Compressor.h"
#include "storage/Project.h"

#include <future>
#include <optional>
#include <string>

namespace zelk {

// The one-minute backup to "log" without holding up the window: the project text is
// built on the calling thread (it reads the song and stores the current part's work
// file), then compressed and written on a worker thread that touches nothing of the
// song. FilePath and Dirty are never changed, so the question still comes on exit.
class BackupWriter {
public:
    // The compressor works on the worker thread: it must outlive the writer.
    explicit BackupWriter(const Compressor& compressor) : compressor_(compressor) {}
    ~BackupWriter() { wait(); }
    BackupWriter(const BackupWriter&) = delete;
    BackupWriter& operator=(const BackupWriter&) = delete;

    // Starts a backup; false (and nothing done) while the previous one still writes, or
    // when the text cannot be built, which result() then reports.
    bool start(const Song& song, const AppFolder& folder);
    bool busy() const;
    // The outcome of the last backup once it has finished (true: written), else nothing.
    std::optional<bool> result();
    // Blocks until a running write has finished (before "log" is deleted at exit).
    void wait();

private:
    const Compressor& compressor_;
    SaveBuffers buffers_;
    std::future<bool> writing_;
    std::optional<bool> failedToBuild_;
};

} // namespace zelk
