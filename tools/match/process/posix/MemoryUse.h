// The memory processes hold, as the kernel counts it.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "common/UniqueFd.h"

namespace fiverow::match {

// What a process holds: its proportional set size (Pss in
// /proc/PID/smaps_rollup: each shared page divided among the processes that
// share it, so that the pages of a process tree are counted once), or its
// resident set where the kernel has no such summary. 0 once it has gone.
std::uint64_t HeldBytes(pid_t pid);

// What one process holds, as HeldBytes, measured again and again through a
// handle on its summary kept open: one read a measure, as an engine's is
// after each of its moves.
class HeldMemory {
 public:
  explicit HeldMemory(pid_t pid);
  std::uint64_t Bytes() const;

 private:
  pid_t pid_;
  tools::UniqueFd rollup_;  // its smaps_rollup; none where the kernel has none
};

}  // namespace fiverow::match
