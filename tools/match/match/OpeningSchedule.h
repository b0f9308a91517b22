// The openings of a match, in game order: each opening is played by a pair
// of games, once with each engine on x.
#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "game/Opening.h"

namespace fiverow::match {

class OpeningSchedule {
 public:
  // Every pair plays `opening` (none: the empty board).
  static OpeningSchedule Fixed(Opening opening);
  // Each pair plays a random opening of its own: two stones per side on
  // distinct cells of the central 6 x 6 square. Equal numbers of stones leave
  // x to move, and two stones a side make no threat, so neither side starts
  // ahead. The same seed gives the same openings on every platform.
  static OpeningSchedule Random(std::uint64_t seed, int boardSize);

  // The next pair's opening.
  Opening Next();

 private:
  OpeningSchedule() = default;

  std::optional<Opening> fixed_;
  std::mt19937_64 random_;
  int boardSize_ = 0;
};

}  // namespace fiverow::match
