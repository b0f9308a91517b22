// Whole-board known answers: every cell scored by the sweep, then the move.
#include <gtest/gtest.h>

#include <initializer_list>

#include "Boards.h"
#include "Failures.h"
#include "MemoryFileSystem.h"
#include "eval/Sweep.h"
#include "select/Selection.h"

namespace fiverow {
namespace {

using testing::EmptyRows;
using testing::Put;
using testing::Rows;

RunState Evaluated(const Rows& rows, CellCode own) {
  RunState state = testing::StateOf(rows, own);
  EvaluateBoard(state);
  return state;
}

Rows WithStones(std::initializer_list<Move> cells, char stone, Rows rows = EmptyRows()) {
  for (Move m : cells) Put(rows, m.x, m.y, stone);
  return rows;
}

// The highest score of any cell other than `except`.
Int32 BestScoreExcept(const RunState& state, std::initializer_list<Move> except) {
  Int32 best = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      bool skip = false;
      for (Move m : except) skip = skip || m == Move{x, y};
      if (!skip) best = std::max(best, state.scoreGrid.cell(x, y));
    }
  }
  return best;
}

void ExpectStonesScoreZero(const RunState& state) {
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      if (state.board.cell(x, y) != kEmpty) {
        EXPECT_EQ(state.scoreGrid.cell(x, y), 0) << x << "," << y;
      }
    }
  }
}

// Every cell taken, by a pattern with no more than two stones of a code in a
// row along any line, so no cell completes a five.
Rows FullBoard() {
  Rows rows;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    rows[static_cast<std::size_t>(y)].resize(kPlaySize);
    for (Int32 x = 0; x < kPlaySize; ++x) Put(rows, x, y, (x / 2 + y) % 2 == 0 ? 'x' : 'o');
  }
  return rows;
}

TEST(BoardScores, OpenThreeOfTheOwnSide) {
  const RunState state = Evaluated(WithStones({{8, 10}, {9, 10}, {10, 10}}, 'x'), 1);
  EXPECT_EQ(state.scoreGrid.cell(7, 10), 1070);
  EXPECT_EQ(state.scoreGrid.cell(11, 10), 1070);
  EXPECT_LE(BestScoreExcept(state, {{7, 10}, {11, 10}}), 270);
  ExpectStonesScoreZero(state);
}

TEST(BoardScores, FourOfTheOwnSide) {
  const RunState state = Evaluated(WithStones({{5, 10}, {6, 10}, {7, 10}, {8, 10}}, 'x'), 1);
  EXPECT_EQ(state.scoreGrid.cell(4, 10), 60081);
  EXPECT_EQ(state.scoreGrid.cell(9, 10), 60081);
  EXPECT_LE(BestScoreExcept(state, {{4, 10}, {9, 10}}), 270);
  ExpectStonesScoreZero(state);
}

TEST(BoardScores, FourAgainstTheBoardEdge) {
  const auto four = [](char stone) { return WithStones({{1, 6}, {2, 6}, {3, 6}, {4, 6}}, stone); };
  const RunState own = Evaluated(four('x'), 1);
  EXPECT_EQ(own.scoreGrid.cell(0, 6), 60081);
  EXPECT_EQ(own.scoreGrid.cell(5, 6), 60081);
  const RunState other = Evaluated(four('o'), 1);
  EXPECT_EQ(other.scoreGrid.cell(0, 6), 4029);
  EXPECT_EQ(other.scoreGrid.cell(5, 6), 4029);
}

TEST(BoardScores, CentredFiveCountsInBothDirections) {
  const RunState state = Evaluated(WithStones({{3, 4}, {4, 4}, {6, 4}, {7, 4}}, 'x'), 1);
  EXPECT_EQ(state.scoreGrid.cell(5, 4), 120022);
}

TEST(BoardScores, EmptyBoardAndFullBoardScoreNothing) {
  for (const Rows& rows : {EmptyRows(), FullBoard()}) {
    const RunState state = Evaluated(rows, 1);
    EXPECT_EQ(BestScoreExcept(state, {}), 0);
  }
}

TEST(MoveSelection, EmptyBoardOpensInTheCentre) {
  for (CellCode own : {1, 2}) {
    RunState state = Evaluated(EmptyRows(), own);
    EXPECT_EQ(SelectMove(state), (Move{10, 10}));
  }
}

TEST(MoveSelection, FirstInRowOrderAmongEqualScores) {
  RunState state = Evaluated(WithStones({{8, 10}, {9, 10}, {10, 10}}, 'x'), 1);
  EXPECT_EQ(SelectMove(state), (Move{7, 10}));

  state = Evaluated(WithStones({{10, 10}}, 'x'), 1);
  for (Int32 dy = -1; dy <= 1; ++dy) {
    for (Int32 dx = -1; dx <= 1; ++dx) {
      if (dx != 0 || dy != 0) {
        EXPECT_EQ(state.scoreGrid.cell(10 + dx, 10 + dy), 90);
      }
    }
  }
  EXPECT_LE(BestScoreExcept(
                state, {{9, 9}, {10, 9}, {11, 9}, {9, 10}, {11, 10}, {9, 11}, {10, 11}, {11, 11}}),
            70);
  EXPECT_EQ(SelectMove(state), (Move{9, 9}));

  state = Evaluated(WithStones({{3, 15}, {4, 15}, {5, 15}, {6, 15}}, 'x'), 1);
  EXPECT_EQ(state.scoreGrid.cell(2, 15), 60081);
  EXPECT_EQ(state.scoreGrid.cell(7, 15), 60081);
  EXPECT_EQ(SelectMove(state), (Move{2, 15}));
}

TEST(MoveSelection, WinningBeatsBlocking) {
  const Rows own = WithStones({{3, 15}, {4, 15}, {5, 15}, {6, 15}}, 'x');
  RunState state = Evaluated(WithStones({{10, 5}, {10, 6}, {10, 7}, {10, 8}}, 'o', own), 1);
  EXPECT_EQ(state.scoreGrid.cell(10, 4), 4029);
  EXPECT_EQ(state.scoreGrid.cell(10, 9), 4029);
  EXPECT_EQ(SelectMove(state), (Move{2, 15}));
}

TEST(MoveSelection, NeverPlaysAnOccupiedCell) {
  // All scores 0 and (0, 0) taken: the first empty cell, not (0, 0).
  RunState state = Evaluated(WithStones({{0, 0}}, 'x'), 2);
  state.scoreGrid = ScoreGrid{};
  EXPECT_EQ(SelectMove(state), (Move{1, 0}));

  // A full board but one cell, which no pattern scores.
  Rows rows = FullBoard();
  Put(rows, 13, 6, '-');
  state = Evaluated(rows, 1);
  EXPECT_EQ(state.scoreGrid.cell(13, 6), 0);
  EXPECT_EQ(SelectMove(state), (Move{13, 6}));

  // A score on an occupied cell is never preferred to an empty one.
  state = testing::StateOf(WithStones({{0, 0}, {5, 5}}, 'x'), 1);
  state.scoreGrid.cell(0, 0) = 500;
  state.scoreGrid.cell(5, 5) = 400;
  state.scoreGrid.cell(4, 2) = 7;
  EXPECT_EQ(SelectMove(state), (Move{4, 2}));
}

TEST(MoveSelection, FullBoardRaisesBoardFull) {
  RunState state = Evaluated(FullBoard(), 1);
  const auto failure = testing::FailureOf([&] { SelectMove(state); });
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->kind, FailureKind::EBoardFull);

  testing::MemoryFileSystem fs;
  fs.files["Plocha.dat"] = testing::PositionText(FullBoard());
  fs.files["Tah.dat"] = std::string("o");
  const auto runFailure = testing::RunFailureOf(fs);
  ASSERT_TRUE(runFailure);
  EXPECT_EQ(runFailure->kind, FailureKind::EBoardFull);
  EXPECT_EQ(fs.files["Tah.dat"], "o");
}

}  // namespace
}  // namespace fiverow
