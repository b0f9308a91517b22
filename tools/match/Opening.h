// Openings: stones placed alternately, x first, before the engines move.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UTypes.h"

namespace fiverow::match {

using Opening = std::vector<Move>;

// "x,y x,y ..." separated by blanks. Fails with a message on a malformed
// cell, a cell given twice, or a five already on the board.
std::optional<Opening> ParseOpening(std::string_view text, std::string& error);

std::string OpeningText(const Opening& opening);

class Position;
// The board with the opening's stones, x first.
Position StartPosition(const Opening& opening);

// The random openings of a match: two stones per side on distinct cells of
// the central 6 x 6 square. Equal numbers of stones leave x to move, and two
// stones a side make no threat, so neither side starts ahead; each opening is
// played twice with the sides swapped. The same seed gives the same openings
// on every platform.
class OpeningSource {
 public:
  explicit OpeningSource(std::uint64_t seed) : random_(seed) {}
  Opening Next();

 private:
  std::mt19937_64 random_;
};

}  // namespace fiverow::match
