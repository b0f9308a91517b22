// The explainer's arithmetic: its per-pass breakdown adds up to fiverow's own
// scores, and its ranking and chosen move agree with fiverow's selection.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "eval/Sweep.h"
#include "explain/HeatMap.h"
#include "explain/PassListing.h"
#include "explain/Ranking.h"
#include "explain/SvgMap.h"
#include "select/Selection.h"

namespace fiverow::explain {
namespace {

std::unique_ptr<RunState> EmptyBoard(CellCode ownCode) {
  auto state = std::make_unique<RunState>();
  state->ownCode = ownCode;
  state->emptyCount = kPlayCells;
  return state;
}

void Put(RunState& state, Move cell, CellCode code) {
  if (state.board.cell(cell.x, cell.y) == kEmpty) --state.emptyCount;
  state.board.cell(cell.x, cell.y) = code;
}

// A random position with about `density` of the cells filled, both codes
// mixed, and stones clustered enough to make every tier fire now and then.
std::unique_ptr<RunState> RandomBoard(std::mt19937& random, double density) {
  auto state = EmptyBoard(static_cast<CellCode>(1 + random() % 2));
  std::bernoulli_distribution filled(density);
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      if (filled(random)) Put(*state, {x, y}, static_cast<CellCode>(1 + random() % 2));
    }
  }
  // A few lines of one code, to make fours and fives.
  for (int line = 0; line < 3; ++line) {
    const Int32 dx = static_cast<Int32>(random() % 3) - 1;
    const Int32 dy = dx == 0 ? 1 : static_cast<Int32>(random() % 3) - 1;
    const CellCode code = static_cast<CellCode>(1 + random() % 2);
    const Int32 x0 = 4 + static_cast<Int32>(random() % 12);
    const Int32 y0 = 4 + static_cast<Int32>(random() % 12);
    const int length = 2 + static_cast<int>(random() % 4);
    for (int i = 0; i < length; ++i) {
      if (random() % 5 != 0) Put(*state, {x0 + i * dx, y0 + i * dy}, code);
    }
  }
  return state;
}

TEST(PassTotals, EqualTheEnginesScoresOnRandomBoards) {
  std::mt19937 random(20261207);
  int decidingTiers[8] = {};
  for (int board = 0; board < 60; ++board) {
    auto state = RandomBoard(random, 0.02 + 0.5 * (board % 10) / 10.0);
    EvaluateBoard(*state);
    for (Int32 y = 0; y < kPlaySize; ++y) {
      for (Int32 x = 0; x < kPlaySize; ++x) {
        Int32 total = 0;
        for (const ListedPass& pass : ListPasses(*state, {x, y})) {
          total += pass.trace.amount;
          ++decidingTiers[pass.trace.tier];
        }
        ASSERT_EQ(total, state->scoreGrid.cell(x, y))
            << "board " << board << " cell " << x << "," << y;
      }
    }
  }
  // Every tier decided some pass, so every tier's arithmetic was compared.
  for (int tier = 1; tier <= 7; ++tier) EXPECT_GT(decidingTiers[tier], 0) << "tier " << tier;
}

TEST(PassDetails, NameTheDirectionSideTierAndAmount) {
  // Three own stones (code 1) at (8,10), (9,10), (10,10); the cell (7,10)
  // gets an open four ahead of it and a three behind it.
  auto state = EmptyBoard(kCodeOther);
  for (const Int32 x : {8, 9, 10}) Put(*state, {x, 10}, kCodeOther);
  EvaluateBoard(*state);
  const std::vector<ListedPass> passes = ListPasses(*state, {7, 10});
  ASSERT_EQ(passes.size(), 16u);
  int scoring = 0;
  for (const ListedPass& pass : passes) {
    if (pass.trace.amount == 0) {
      EXPECT_EQ(pass.trace.tier, 0);
      continue;
    }
    ++scoring;
    EXPECT_EQ(pass.examinedCode, kCodeOther);
    EXPECT_TRUE(pass.own);
    EXPECT_EQ(pass.direction.dy, 0);
    if (pass.direction.dx == 1) {
      EXPECT_EQ(pass.trace.tier, 2);
      EXPECT_EQ(pass.trace.rows, 1u);
      EXPECT_EQ(pass.trace.amount, 1000);
    } else {
      EXPECT_EQ(pass.trace.tier, 5);
      EXPECT_EQ(pass.trace.rows, 1u << 15);  // row 16: two stones behind
      EXPECT_EQ(pass.trace.amount, 70);
    }
  }
  EXPECT_EQ(scoring, 2);
  // The passes come in the engine's order: dx, then dy, then the code.
  EXPECT_EQ(passes[0].direction.dx, -1);
  EXPECT_EQ(passes[0].direction.dy, -1);
  EXPECT_EQ(passes[1].examinedCode, 2);
  EXPECT_EQ(passes[15].direction.dx, 1);
  EXPECT_EQ(passes[15].direction.dy, 1);
}

TEST(PassDetails, CountTheFiveBonusOncePerMatchingRow) {
  // Two fives in one pass: own stones at c(-2), c(-1), c(+1), c(+2), c(+3).
  for (const CellCode own : {kCodeOther, kCodeO}) {
    auto state = EmptyBoard(own);
    for (const Int32 x : {3, 4, 6, 7, 8}) Put(*state, {x, 5}, kCodeOther);
    EvaluateBoard(*state);
    const ListedPass pass = ListPasses(*state, {5, 5})[12];  // (1, 0), code 1
    ASSERT_EQ(pass.direction.dx, 1);
    ASSERT_EQ(pass.direction.dy, 0);
    ASSERT_EQ(pass.examinedCode, kCodeOther);
    EXPECT_EQ(pass.trace.tier, 1);
    EXPECT_EQ(pass.trace.rows, 0b110u);
    EXPECT_EQ(pass.trace.amount, own == kCodeOther ? 120022 : 8002);
    EXPECT_EQ(pass.trace.tally, 2);
  }
}

TEST(PassDetails, AnOccupiedCellHasNone) {
  auto state = EmptyBoard(kCodeO);
  Put(*state, {4, 4}, kCodeO);
  Put(*state, {5, 4}, kCodeO);
  EXPECT_TRUE(ListPasses(*state, {4, 4}).empty());
}

TEST(Ranking, FollowsTheSelectionsOrder) {
  std::mt19937 random(7);
  for (int board = 0; board < 15; ++board) {
    auto state = RandomBoard(random, 0.1);
    EvaluateBoard(*state);
    const std::vector<ScoredCell> top = TopCells(*state, 10);
    ASSERT_EQ(top.size(), 10u);
    EXPECT_EQ(top.front().cell, SelectMove(*state));
    for (std::size_t i = 1; i < top.size(); ++i) {
      const ScoredCell& a = top[i - 1];
      const ScoredCell& b = top[i];
      EXPECT_TRUE(a.score > b.score ||
                  (a.score == b.score &&
                   (a.cell.y < b.cell.y || (a.cell.y == b.cell.y && a.cell.x < b.cell.x))));
      EXPECT_EQ(state->board.cell(b.cell.x, b.cell.y), kEmpty);
    }
  }
  auto almostFull = EmptyBoard(kCodeO);
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      if (x + y > 1) Put(*almostFull, {x, y}, ((x + 2 * y) % 4 < 2) ? kCodeO : kCodeOther);
    }
  }
  EvaluateBoard(*almostFull);
  EXPECT_EQ(TopCells(*almostFull, 10).size(), 3u);
}

TEST(HeatPictures, MarkTheChosenMoveAndShowEveryStone) {
  auto state = EmptyBoard(kCodeOther);
  Put(*state, {10, 10}, kCodeOther);
  Put(*state, {11, 11}, kCodeO);
  EvaluateBoard(*state);
  const Move chosen = SelectMove(*state);
  const std::string text = RenderHeatMap(*state, chosen, false);
  EXPECT_EQ(text.find('\033'), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '>'), 1);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
  EXPECT_NE(RenderHeatMap(*state, chosen, true).find('\033'), std::string::npos);

  const std::string svg = RenderSvg(*state, chosen);
  EXPECT_TRUE(svg.starts_with("<svg "));
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
  EXPECT_EQ(svg.find("<circle", svg.find("<circle", svg.find("<circle") + 1) + 1),
            std::string::npos);
  const std::string chosenScore = std::to_string(state->scoreGrid.cell(chosen.x, chosen.y));
  EXPECT_NE(svg.find('>' + chosenScore + '<'), std::string::npos);
}

TEST(HeatPictures, LevelsRiseWithTheScore) {
  EXPECT_EQ(HeatLevel(0, 1000), 0);
  EXPECT_EQ(HeatLevel(1000, 1000), 6);
  int previous = 0;
  for (Int32 score = 1; score <= 1000; score += 37) {
    const int level = HeatLevel(score, 1000);
    EXPECT_GE(level, previous);
    EXPECT_GE(level, 1);
    previous = level;
  }
}

}  // namespace
}  // namespace fiverow::explain
