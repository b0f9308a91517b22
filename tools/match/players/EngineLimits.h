// What an engine is held to, and told of when it speaks the pipe protocol.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fiverow::match {

// An engine's own terms, whatever game it plays: the game's size, rule and
// time control come with each game (GameStart).
struct EngineLimits {
  // A pipe engine's start-up: START, the INFO lines and ABOUT, on no move's
  // clock.
  double startSeconds = 30.0;
  // What the engine with everything it starts may hold in memory.
  std::optional<std::uint64_t> memoryBytes;
  // What a pipe engine is told besides: INFO KEY VALUE, e.g. max_depth 8.
  std::vector<std::pair<std::string, std::string>> info;
};

}  // namespace fiverow::match
