// Why an engine failed, in words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "game/GameResult.h"

namespace fiverow::match {

// "exited with status 3", "was killed by signal 9", and, when it ran under a
// memory limit and was killed at it, its error output tells of a failed
// allocation or it held nearly all of it, that it ran out of memory.
struct Crash {
  bool signalled = false;
  int code = 0;
  std::string_view errors;  // what it wrote to its standard error
  long peakResidentKiB = 0;
  bool killedForMemory = false;
};
std::string CrashReason(const Crash& crash, std::optional<std::uint64_t> memoryBytes);
// Whether such a crash was for memory: the ending it brings about, Memory,
// Signal or ExitStatus.
Ending CrashEnding(const Crash& crash, std::optional<std::uint64_t> memoryBytes);

// "out of memory (12 MB over its limit of 64 MB)": killed by the referee for
// holding `heldBytes`.
std::string OverBudgetReason(std::uint64_t heldBytes, std::uint64_t memoryBytes);

}  // namespace fiverow::match
