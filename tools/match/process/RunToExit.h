// Runs a program once to its exit, with a time limit, and leaves nothing it
// started running afterwards: a file engine's move.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fiverow::match {

struct RunOutcome {
  enum class End { Exited, Signalled, TimedOut };
  End end = End::Exited;
  int code = 0;              // exit status, or the signal number
  double seconds = 0.0;      // wall time from start to end
  std::string output;        // what it wrote to stdout and stderr, at most kOutputLimit
  bool outputCut = false;    // it wrote more than that
  long peakResidentKiB = 0;  // the most memory it held at once
  // Killed for holding this much, over its memory budget.
  std::optional<std::uint64_t> overBudgetBytes;
  bool killedForMemory = false;  // by the kernel, at its group's limit
};

// Runs `argv` (argv[0] a path) in the folder `folderFd`, within
// `memoryBudget` bytes for it and all it starts (EngineProcess.h). Throws
// RefereeError when it cannot be started and Interrupted, after killing it,
// when the referee is told to stop meanwhile.
RunOutcome RunToExit(const std::vector<std::string>& argv, int folderFd, double limitSeconds,
                     std::optional<std::uint64_t> memoryBudget = std::nullopt);

}  // namespace fiverow::match
