// Fixed positions for measuring and fingerprinting the evaluation.
#pragma once

#include <array>
#include <cstdint>

#include "state/RunState.h"

namespace fiverow::bench {

struct BenchPosition {
  const char* name;
  std::array<const char*, kPlaySize> rows;  // as in Plocha.dat: '-', 'o', other
  char turn;                                // the first byte of Tah.dat
};

// An empty board, an opening, a midgame (the position in bench/midgame/) and a
// dense endgame with 100 empty cells left.
extern const std::array<BenchPosition, 4> kBenchPositions;

// Puts a position into the record as the readers would: board, EmptyCount and
// OwnCode. The margin is left as it is (empty).
void LoadPosition(RunState& state, const BenchPosition& position);

// A pseudo-random position from `seed`, each cell a stone with probability
// `stonePercent` / 100 (either code alike), at least one cell left empty.
// The same seed gives the same position on every platform.
void LoadRandomPosition(RunState& state, std::uint32_t seed, int stonePercent, CellCode ownCode);

}  // namespace fiverow::bench
