#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace zelk {

// A file written under a temporary name in the target's folder and renamed over the
// target by commit(), so the target name only ever shows a complete file. Without
// commit() (an error on the way) the temporary file is removed and the target, if it
// existed, stays as it was. Errors throw std::system_error naming the file.
//
// Only regular files (and new names) are replaced. A target that is a character device
// or a FIFO (/dev/null, a named pipe, or a link to one) is written in place; any other
// kind of file (folder, socket, block device) is refused.
//
// The temporary name ".NAME.<pid>.<random>.tmp" carries the writer's process id, so a
// later writer of the same target removes the ones whose process is gone.
class ReplacingFile {
public:
    explicit ReplacingFile(std::filesystem::path target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void write(std::span<const uint8_t> bytes);
    void commit();

    // Empty when the target is written in place.
    const std::filesystem::path& tempPath() const { return temp_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
};

// Replaces the file at target with data in one go, the same way: a crash or a failure at
// any point leaves either the old file or the new one, never a mix.
void writeFileAtomically(const std::filesystem::path& target, std::string_view data);

// Removes temporary files of target left by writers that no longer run. Returns how many.
int removeStaleTemporaries(const std::filesystem::path& target);

} // namespace zelk
