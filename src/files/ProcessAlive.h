#pragma once

#include <sys/types.h>

namespace zelk {

// Whether a process with this id runs on this machine (also one of another user's).
bool processAlive(pid_t pid);

} // namespace zelk
