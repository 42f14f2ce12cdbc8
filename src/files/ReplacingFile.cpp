#include "files/ReplacingFile.h"

#include "files/ProcessAlive.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

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

std::string temporaryPrefix(const std::filesystem::path& target) {
    std::string prefix(1, '.');
    prefix += target.filename().string();
    prefix += '.';
    return prefix;
}

// The process id in a temporary name made by temporaryPrefix + "<pid>.<random>.tmp".
std::optional<pid_t> writerOf(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || !name.ends_with(".tmp"))
        return std::nullopt;
    name.remove_prefix(prefix.size());
    name.remove_suffix(4);
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    long pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + dot, pid);
    if (ec != std::errc{} || end != name.data() + dot || pid <= 0)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

// What an existing target is: replaced by rename, written in place, or refused.
enum class TargetKind { Replace, InPlace };

TargetKind kindOf(const std::filesystem::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return TargetKind::Replace;
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))
        return TargetKind::InPlace;
    throw std::system_error(EINVAL, std::generic_category(),
                            "not a regular file, will not replace " + target.string());
}

} // namespace

int removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string prefix = temporaryPrefix(target);
    const auto dir =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    std::error_code ec;
    int removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        const auto pid = writerOf(name, prefix);
        if (pid && !processAlive(*pid) && entry.is_regular_file(ec) &&
            std::filesystem::remove(entry.path(), ec))
            ++removed;
    }
    return removed;
}

ReplacingFile::ReplacingFile(std::filesystem::path target) {
    // Kinds are told through links; a link to a pipe ("pipe:[…]") has no path to resolve.
    if (kindOf(target) == TargetKind::InPlace) {
        target_ = std::move(target);
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0)
            fail(errno, "cannot open", target_);
        return;
    }
    target_ = resolved(std::move(target));
    removeStaleTemporaries(target_);
    // A hidden sibling named after this process; O_EXCL never reuses someone else's file,
    // and mode 0666 lets the umask decide the permissions as for any newly created file.
    std::random_device rd;
    const std::string base = temporaryPrefix(target_) + std::to_string(::getpid()) + ".";
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
    if (!temp_.empty())
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
    if (temp_.empty()) { // a device or pipe: nothing to sync or rename
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            fail(errno, "cannot write", target_);
        return;
    }
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
