#include "files/ProcessAlive.h"

#include <cerrno>
#include <csignal>

namespace zelk {

bool processAlive(pid_t pid) {
    if (pid <= 0)
        return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace zelk
