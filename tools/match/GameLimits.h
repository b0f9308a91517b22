// The conditions of a game, the same for both engines: the time per move and
// per game, the memory an engine may use, and the rule that decides a win.
#pragma once

#include <cstdint>
#include <optional>

#include "match/Position.h"

namespace fiverow::match {

struct GameLimits {
  double moveSeconds = 5.0;                  // the time limit per move
  bool moveLimitGiven = false;               // asked for: it then applies to a person too
  std::optional<double> matchSeconds;        // per engine per game
  std::optional<std::uint64_t> memoryBytes;  // per engine, its address space
  Rule rule = Rule::Freestyle;
};

}  // namespace fiverow::match
