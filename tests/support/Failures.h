// Catching the failure a step raises, for tests.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/Driver.h"
#include "runtime/Failure.h"

namespace fiverow::testing {

// The failure `step` raises, or nothing when it returns.
inline std::optional<RunFailure> FailureOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const RunFailure& failure) {
    return failure;
  }
  return std::nullopt;
}

// What a whole run ended with: the move it wrote, or its failure.
struct RunOutcome {
  std::optional<Move> move;
  std::optional<RunFailure> failure;
};

inline RunOutcome RunCatching(RunState& state, FileSystem& files) {
  RunOutcome outcome;
  outcome.failure = FailureOf([&] { outcome.move = RunEngine(state, files); });
  return outcome;
}

// The failure of a whole run on `files`, or nothing when it writes its move.
inline std::optional<RunFailure> RunFailureOf(FileSystem& files) {
  RunState state;
  return RunCatching(state, files).failure;
}

// The report's message for a failure, e.g. "File not found".
inline std::string MessageOf(const RunFailure& failure) {
  char text[64];
  FormatMessage(failure, text, sizeof text);
  return text;
}

}  // namespace fiverow::testing
