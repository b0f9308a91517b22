// The sweep by the pass table against the sweep that runs every tier, on
// whole boards, and the scores of whole-board positions.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "eval/Sweep.h"
#include "select/Selection.h"

namespace fiverow {
namespace {

// A board of pseudo-random stones; the same seed always gives the same board.
std::unique_ptr<RunState> RandomBoard(std::uint32_t seed, unsigned stonePercent,
                                      CellCode ownCode) {
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

std::unique_ptr<RunState> BoardWith(CellCode ownCode, CellCode stones,
                                    std::initializer_list<Move> cells) {
  auto state = std::make_unique<RunState>();
  state->ownCode = ownCode;
  for (const Move cell : cells) state->board.cell(cell.x, cell.y) = stones;
  return state;
}

Int32 HighestScoreBut(const RunState& state, std::initializer_list<Move> except) {
  Int32 highest = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      bool skipped = false;
      for (const Move cell : except) skipped = skipped || (cell == Move{x, y});
      if (!skipped && state.scoreGrid.cell(x, y) > highest) highest = state.scoreGrid.cell(x, y);
    }
  }
  return highest;
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

TEST(SweepByTable, ThreeInARowTracedExample) {
  auto state = BoardWith(kCodeOther, kCodeOther, {{8, 10}, {9, 10}, {10, 10}});
  EvaluateBoard(*state);
  EXPECT_EQ(state->scoreGrid.cell(7, 10), 1070);
  EXPECT_EQ(state->scoreGrid.cell(11, 10), 1070);
  EXPECT_LE(HighestScoreBut(*state, {{7, 10}, {11, 10}}), 270);
  EXPECT_EQ(SelectMove(*state), (Move{7, 10}));
}

TEST(SweepByTable, OwnFourScoresFiveAndThree) {
  auto state = BoardWith(kCodeOther, kCodeOther, {{5, 10}, {6, 10}, {7, 10}, {8, 10}});
  EvaluateBoard(*state);
  EXPECT_EQ(state->scoreGrid.cell(4, 10), 60081);
  EXPECT_EQ(state->scoreGrid.cell(9, 10), 60081);
  EXPECT_LE(HighestScoreBut(*state, {{4, 10}, {9, 10}}), 270);
}

TEST(SweepByTable, ProbesBeyondTheEdgeReadEmpty) {
  auto own = BoardWith(kCodeOther, kCodeOther, {{1, 3}, {2, 3}, {3, 3}, {4, 3}});
  EvaluateBoard(*own);
  EXPECT_EQ(own->scoreGrid.cell(0, 3), 60081);
  EXPECT_EQ(own->scoreGrid.cell(5, 3), 60081);

  auto other = BoardWith(kCodeOther, kCodeO, {{1, 3}, {2, 3}, {3, 3}, {4, 3}});
  EvaluateBoard(*other);
  EXPECT_EQ(other->scoreGrid.cell(0, 3), 4029);
  EXPECT_EQ(other->scoreGrid.cell(5, 3), 4029);
}

TEST(SweepByTable, RotatedBoardGivesRotatedScores) {
  auto state = RandomBoard(11, 30, kCodeOther);
  auto rotated = std::make_unique<RunState>();
  rotated->ownCode = state->ownCode;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      rotated->board.cell(y, kPlaySize - 1 - x) = state->board.cell(x, y);
    }
  }
  EvaluateBoard(*state);
  EvaluateBoard(*rotated);
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      ASSERT_EQ(rotated->scoreGrid.cell(y, kPlaySize - 1 - x), state->scoreGrid.cell(x, y))
          << "cell (" << x << ", " << y << ")";
    }
  }
}

TEST(SweepByTable, SwappingTheCodesKeepsTheScores) {
  auto state = RandomBoard(23, 45, kCodeOther);
  auto swapped = std::make_unique<RunState>();
  swapped->ownCode = kCodeO;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const CellCode code = state->board.cell(x, y);
      swapped->board.cell(x, y) = code == kEmpty ? kEmpty : 3 - code;
    }
  }
  EvaluateBoard(*state);
  EvaluateBoard(*swapped);
  EXPECT_EQ(state->scoreGrid.cells, swapped->scoreGrid.cells);
}

}  // namespace
}  // namespace fiverow
