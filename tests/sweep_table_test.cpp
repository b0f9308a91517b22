// The sweep by the pass table against the sweep that runs every tier, on
// whole boards.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "eval/Sweep.h"

namespace fiverow {
namespace {

// A board of pseudo-random stones; the same seed always gives the same board.
std::unique_ptr<RunState> RandomBoard(std::uint32_t seed, unsigned stonePercent, CellCode ownCode) {
  auto state = std::make_unique<RunState>();
  std::uint32_t value = seed;
  auto next = [&value] {
    value = value * 1103515245u + 12345u;
    return value >> 16;
  };
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      if (next() % 100u < stonePercent) {
        state->board.cell(x, y) = (next() & 1u) != 0 ? kCodeO : kCodeOther;
      }
    }
  }
  state->ownCode = ownCode;
  return state;
}

TEST(SweepByTable, EqualsTheCascadeSweepOnRandomBoards) {
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    const unsigned stonePercent = 5 + (seed % 12) * 8;  // 5% to 93%
    const CellCode ownCode = seed % 2 == 0 ? kCodeO : kCodeOther;
    auto byTable = RandomBoard(seed, stonePercent, ownCode);
    auto byCascade = RandomBoard(seed, stonePercent, ownCode);
    byTable->scoreGrid.cell(3, 4) = 77;  // a stale score must not survive
    EvaluateBoard(*byTable);
    EvaluateBoardByCascade(*byCascade);
    ASSERT_EQ(byTable->scoreGrid.cells, byCascade->scoreGrid.cells) << "seed " << seed;
    // The record's pass members end as the tier-by-tier sweep leaves them.
    EXPECT_EQ(byTable->x, byCascade->x);
    EXPECT_EQ(byTable->y, byCascade->y);
    EXPECT_EQ(byTable->examinedCode, byCascade->examinedCode);
    EXPECT_EQ(byTable->weight, byCascade->weight) << "seed " << seed;
    EXPECT_EQ(byTable->tally, byCascade->tally) << "seed " << seed;
  }
}

TEST(SweepByTable, OccupiedCellsAndTheMarginScoreZero) {
  auto state = RandomBoard(7, 50, kCodeO);
  for (Int32& score : state->scoreGrid.cells) score = 9;
  EvaluateBoard(*state);
  for (Int32 y = kGridMin; y <= kGridMax; ++y) {
    for (Int32 x = kGridMin; x <= kGridMax; ++x) {
      const bool inPlay = x >= 0 && x < kPlaySize && y >= 0 && y < kPlaySize;
      if (!inPlay) {
        EXPECT_EQ(state->scoreGrid.cell(x, y), 9) << "margin cell written";
      } else if (state->board.cell(x, y) != kEmpty) {
        EXPECT_EQ(state->scoreGrid.cell(x, y), 0);
      }
    }
  }
}

}  // namespace
}  // namespace fiverow
