#include "SignalCleanup.h"

#include <array>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zelk::tool {
namespace {

// A signal handler can reach nothing but static storage; the path is copied here whole
// before the handler is installed and never changes while it may run.
std::array<char, 4096> gWatched{};
volatile std::sig_atomic_t gArmed = 0;

struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

// Only async-signal-safe calls: open, getdents64, unlinkat, close, rmdir.
void removeFlatFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(8) char buf[4096];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buf, sizeof buf);
        if (n <= 0)
            break;
        for (long off = 0; off < n;) {
            const auto* d = reinterpret_cast<const LinuxDirent64*>(buf + off);
            const bool dots =
                d->d_name[0] == '.' &&
                (d->d_name[1] == '\0' || (d->d_name[1] == '.' && d->d_name[2] == '\0'));
            if (!dots)
                ::unlinkat(fd, d->d_name, 0);
            off += d->d_reclen;
        }
    }
    ::close(fd);
    ::rmdir(path);
}

extern "C" void onEndingSignal(int sig) {
    if (gArmed)
        removeFlatFolder(gWatched.data());
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

} // namespace

void removeFolderOnSignal(const std::filesystem::path& folder) {
    gArmed = 0;
    const std::string s = folder.string();
    if (s.empty() || s.size() >= gWatched.size())
        return;
    std::memcpy(gWatched.data(), s.c_str(), s.size() + 1);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, onEndingSignal);
    gArmed = 1;
}

} // namespace zelk::tool
