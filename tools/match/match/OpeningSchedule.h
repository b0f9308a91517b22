// The openings of a match by index 0, 1, 2, ...: each opening is played by
// the games that share its index, with the engines' sides swapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "game/Opening.h"

namespace fiverow::match {

class OpeningSchedule {
 public:
  // Every index plays `opening` (none: the empty board).
  static OpeningSchedule Fixed(Opening opening);
  // Each index has a random opening of its own: two stones per side on
  // distinct cells of the central 6 x 6 square. Equal numbers of stones leave
  // x to move, and two stones a side make no threat, so neither side starts
  // ahead. The same seed gives the same openings on every platform.
  static OpeningSchedule Random(std::uint64_t seed, int boardSize);

  // The opening of index `index`, the same however often and in whatever
  // order it is asked for. Not for several threads at once.
  Opening At(std::size_t index);

 private:
  OpeningSchedule() = default;
  Opening RandomOpening();

  std::optional<Opening> fixed_;
  int boardSize_ = 0;
  // The random openings made so far, by index, and the generator that makes
  // the next.
  std::vector<Opening> made_;
  std::mt19937_64 random_;
};

}  // namespace fiverow::match
