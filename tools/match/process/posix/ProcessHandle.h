// Process handles (pidfds), by system call: not every C library declares
// them. A handle names one process for good, whatever its number becomes.
#pragma once

#include <sys/types.h>

namespace fiverow::match {

// A handle on the process, or -1 with errno set.
int OpenProcessHandle(pid_t pid);
void KillByHandle(int handle, int signal);
// Whether the process behind the handle has ended.
bool HasEnded(int handle);

}  // namespace fiverow::match
