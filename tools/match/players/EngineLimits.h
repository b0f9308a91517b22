// What an engine is held to in a game, and told of when it speaks the pipe
// protocol.
#pragma once

#include <cstdint>
#include <optional>

#include "game/Position.h"
#include "game/Rules.h"

namespace fiverow::match {

struct EngineLimits {
  double turnSeconds = 5.0;                  // per move; infinity for none
  std::optional<double> matchSeconds;        // for all its moves of a game
  std::optional<std::uint64_t> memoryBytes;  // its address space
  Rule rule = Rule::Freestyle;
  int boardSize = kStandardBoardSize;
};

}  // namespace fiverow::match
