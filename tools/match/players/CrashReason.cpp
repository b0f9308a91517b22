#include "players/CrashReason.h"

#include <algorithm>
#include <cctype>

#include "process/EngineProcess.h"

namespace fiverow::match {

namespace {

// What programs print when an allocation fails: C++, Python, Java, Go, Rust,
// the C library's "Cannot allocate memory", shells.
constexpr std::string_view kAllocationFailures[] = {"bad_alloc", "out of memory", "memoryerror",
                                                    "outofmemory", "allocat"};

bool TellsOfFailedAllocation(std::string_view errors) {
  std::string lower(errors);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::any_of(
      std::begin(kAllocationFailures), std::end(kAllocationFailures),
      [&lower](std::string_view word) { return lower.find(word) != std::string::npos; });
}

bool ForMemory(const Crash& crash, std::optional<std::uint64_t> memoryBytes) {
  if (!memoryBytes) return false;
  const double peakBytes = static_cast<double>(crash.peakResidentKiB) * 1024.0;
  return crash.killedForMemory || TellsOfFailedAllocation(crash.errors) ||
         peakBytes >= 0.9 * static_cast<double>(*memoryBytes);
}

}  // namespace

std::string CrashReason(const Crash& crash, std::optional<std::uint64_t> memoryBytes) {
  std::string reason = ExitText(crash.signalled, crash.code);
  if (ForMemory(crash, memoryBytes))
    reason += ": out of memory (its limit is " + std::to_string(*memoryBytes >> 20) + " MB)";
  return reason;
}

Ending CrashEnding(const Crash& crash, std::optional<std::uint64_t> memoryBytes) {
  if (ForMemory(crash, memoryBytes)) return Ending::Memory;
  return crash.signalled ? Ending::Signal : Ending::ExitStatus;
}

std::string OverBudgetReason(std::uint64_t heldBytes, std::uint64_t memoryBytes) {
  constexpr std::uint64_t kMiB = 1 << 20;
  const std::uint64_t over = heldBytes > memoryBytes ? heldBytes - memoryBytes : 0;
  return "out of memory (" + std::to_string((over + kMiB - 1) / kMiB) + " MB over its limit of " +
         std::to_string(memoryBytes / kMiB) + " MB)";
}

}  // namespace fiverow::match
