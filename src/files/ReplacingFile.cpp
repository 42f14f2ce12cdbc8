#include "files/ReplacingFile.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zelk {
namespace {

[[noreturn]] void fail(int err, const std::string& what, const std::filesystem::path& path) {
    throw std::system_error(err, std::generic_category(), what + " " + path.string());
}

// A symbolic link stays a link: the file it points to is replaced.
std::filesystem::path resolved(std::filesystem::path target) {
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        auto real = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            return real;
    }
    return target;
}

// Makes the rename itself durable; a folder that cannot be synced changes nothing.
void syncFolder(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target) : target_(resolved(std::move(target))) {
    // A hidden sibling with a random suffix; O_EXCL never reuses someone else's file, and
    // mode 0666 lets the umask decide the permissions as for any newly created file.
    std::random_device rd;
    std::string base(1, '.');
    base += target_.filename().string();
    base += '.';
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = target_.parent_path() / (base + std::to_string(rd() % 1'000'000'000u) + ".tmp");
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            fail(errno, "cannot create", target_);
    }
    if (fd_ < 0)
        fail(EEXIST, "cannot create", target_);
    // A replaced file keeps its permissions.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0)
        ::fchmod(fd_, st.st_mode & 07777);
}

ReplacingFile::~ReplacingFile() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    ::unlink(temp_.c_str());
}

void ReplacingFile::write(std::span<const uint8_t> bytes) {
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(errno, "cannot write", target_);
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void ReplacingFile::commit() {
    // The data reaches the disk before the name does, so a crash leaves the old file or
    // the complete new one.
    if (::fsync(fd_) != 0)
        fail(errno, "cannot write", target_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        fail(err, "cannot write", target_);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        fail(err, "cannot replace", target_);
    }
    syncFolder(target_.parent_path());
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view data) {
    ReplacingFile file(target);
    file.write({reinterpret_cast<const uint8_t*>(data.data()), data.size()});
    file.commit();
}

} // namespace zelk
