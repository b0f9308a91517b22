#include "match/Contestant.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "match/FileEngine.h"
#include "match/HumanPlayer.h"
#include "match/PipeEngine.h"

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

}  // namespace

std::unique_ptr<Contestant> MakeContestant(const Engine& engine, Player player,
                                           const Workspace& workspace, const GameLimits& limits,
                                           NoteSink notes) {
  switch (engine.protocol) {
    case Protocol::Pipe:
      return std::make_unique<PipeEngine>(engine, player, workspace, limits, std::move(notes));
    case Protocol::Human: return std::make_unique<HumanPlayer>(engine);
    case Protocol::File: break;
  }
  return std::make_unique<FileEngine>(engine, player, workspace, limits);
}

Clock::time_point DeadlineAfter(Clock::time_point start, double seconds) {
  // Beyond a year is as good as never, and stays far from overflow.
  if (!(seconds < 365.0 * 86400.0)) return Clock::time_point::max();
  return start +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g s", seconds);
  return text;
}

std::string CrashReason(bool signalled, int code, std::string_view errors, long peakResidentKiB,
                        const GameLimits& limits) {
  std::string reason =
      (signalled ? "was killed by signal " : "exited with status ") + std::to_string(code);
  if (!limits.memoryBytes) return reason;
  const double peakBytes = static_cast<double>(peakResidentKiB) * 1024.0;
  if (TellsOfFailedAllocation(errors) ||
      peakBytes >= 0.9 * static_cast<double>(*limits.memoryBytes)) {
    reason += ": out of memory (its limit is " + std::to_string(*limits.memoryBytes >> 20) + " MB)";
  }
  return reason;
}

}  // namespace fiverow::match
