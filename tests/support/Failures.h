// Catching the failure a step raises, for tests.
#pragma once

#include <functional>
#include <optional>

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

// The failure of a whole run on `files`, or nothing when it writes its move.
inline std::optional<RunFailure> RunFailureOf(FileSystem& files) {
  RunState state;
  return FailureOf([&] { RunEngine(state, files); });
}

}  // namespace fiverow::testing
