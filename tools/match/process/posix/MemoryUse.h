// The memory processes hold, as the kernel counts it.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace fiverow::match {

// What a process holds: its proportional set size (Pss in
// /proc/PID/smaps_rollup: each shared page divided among the processes that
// share it, so that the pages of a process tree are counted once), or its
// resident set where the kernel has no such summary. 0 once it has gone.
std::uint64_t HeldBytes(pid_t pid);

}  // namespace fiverow::match
