#include "storage/AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zelk {
namespace {

[[noreturn]] void fail(int err, const std::string& what) {
    throw std::system_error(err, std::generic_category(), what);
}

// Opens a new file beside the target; the mode lets the umask apply as for any new file.
int createTemporary(const std::filesystem::path& target, std::string& tmpPath) {
    const auto seed =
        static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (unsigned long attempt = 0; attempt < 100; ++attempt) {
        tmpPath = target.string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                  std::to_string((seed + attempt * 7919u) % 1000000u);
        const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            fail(errno, "cannot create a temporary file beside " + target.string());
    }
    fail(EEXIST, "cannot create a temporary file beside " + target.string());
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing.
void syncFolder(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::filesystem::path resolveLink(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec))
        return target;
    auto resolved = std::filesystem::weakly_canonical(target, ec);
    return ec ? target : resolved;
}

} // namespace

void writeFileAtomically(const std::filesystem::path& requested, std::string_view data) {
    const auto target = resolveLink(requested);
    std::string tmpPath;
    const int fd = createTemporary(target, tmpPath);
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    int err = 0;
    if (!writeAll(fd, data) || ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(tmpPath.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(tmpPath.c_str());
        fail(err, "cannot write " + requested.string());
    }
    syncFolder(target.parent_path());
}

} // namespace zelk
