// What an engine is held to in a game, and told of when it speaks the pipe
// protocol.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/Position.h"
#include "game/Rules.h"

namespace fiverow::match {

inline constexpr double kDefaultTurnSeconds = 5.0;

struct EngineLimits {
  double turnSeconds = kDefaultTurnSeconds;  // per move; infinity for none
  std::optional<double> matchSeconds;        // for all its moves of a game
  double incrementSeconds = 0;               // added to its match time after each of its moves
  // How far past its turn limit or its match time a move still counts; the
  // engine is told the limits without it.
  double marginSeconds = 0.1;
  // A pipe engine's start-up: START, the INFO lines and ABOUT, on no move's
  // clock.
  double startSeconds = 30.0;
  // What the engine with everything it starts may hold in memory.
  std::optional<std::uint64_t> memoryBytes;
  Rule rule = Rule::Freestyle;
  int boardSize = kStandardBoardSize;
  // What a pipe engine is told besides: INFO KEY VALUE, e.g. max_depth 8.
  std::vector<std::pair<std::string, std::string>> info;
};

}  // namespace fiverow::match
