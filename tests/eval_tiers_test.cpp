// Known answers for single passes, one suite per tier of the cascade.
//
// A probe pattern reads "c-2 c-1 | c+1 c+2 c+3 c+4" relative to the examined
// code: P its stone, X the other code's stone, - empty, ? any of the three
// (the case must hold for each). Every case is run in all eight directions,
// for both examined codes, once as the own side (weight 10) and once as the
// other side (weight 4).
#include <gtest/gtest.h>

#include <initializer_list>
#include <span>
#include <string>

#include "Boards.h"
#include "eval/Sweep.h"
#include "eval/TierTables.h"

namespace fiverow {
namespace {

using testing::Put;
using testing::Rows;

constexpr std::array<Int32, 6> kOffsets{-2, -1, 1, 2, 3, 4};
constexpr Int32 kCx = 10;
constexpr Int32 kCy = 10;

std::string Probes(std::string_view pattern) {
  std::string probes;
  for (char c : pattern) {
    if (c != '|' && c != ' ') probes += c;
  }
  return probes;
}

// One pass at (10, 10) along (dx, dy) with the probes of a concrete pattern;
// returns what it added to the candidate's score.
Int32 PassScore(const std::string& probes, CellCode examined, CellCode own, Int32 dx, Int32 dy) {
  RunState state;
  for (std::size_t i = 0; i < kOffsets.size(); ++i) {
    const CellCode code = probes[i] == 'P' ? examined : probes[i] == 'X' ? 3 - examined : kEmpty;
    state.board.cell(kCx + kOffsets[i] * dx, kCy + kOffsets[i] * dy) = code;
  }
  state.x = kCx;
  state.y = kCy;
  state.examinedCode = examined;
  state.ownCode = own;
  RunPass(state, dx, dy);
  Int32 total = 0;
  for (Int32 score : state.scoreGrid.cells) total += score;
  EXPECT_EQ(total, state.scoreGrid.cell(kCx, kCy)) << "a pass wrote another cell's score";
  return state.scoreGrid.cell(kCx, kCy);
}

void ExpectConcrete(const std::string& probes, Int32 own, Int32 other) {
  for (Int32 dx = -1; dx <= 1; ++dx) {
    for (Int32 dy = -1; dy <= 1; ++dy) {
      if (dx == 0 && dy == 0) continue;
      for (CellCode examined : {1, 2}) {
        EXPECT_EQ(PassScore(probes, examined, examined, dx, dy), own)
            << probes << " own, code " << examined << ", direction " << dx << "," << dy;
        EXPECT_EQ(PassScore(probes, examined, 3 - examined, dx, dy), other)
            << probes << " other, code " << examined << ", direction " << dx << "," << dy;
      }
    }
  }
}

// Expands every '?' to each of '-', 'P' and 'X'.
void ExpectPass(std::string_view pattern, Int32 own, Int32 other) {
  const std::string probes = Probes(pattern);
  const std::size_t any = probes.find('?');
  if (any == std::string::npos) return ExpectConcrete(probes, own, other);
  for (char c : {'-', 'P', 'X'}) {
    std::string concrete = probes;
    concrete[any] = c;
    ExpectPass(concrete, own, other);
  }
}

struct PassCase {
  const char* probes;
  Int32 own;
  Int32 other;
};

void ExpectPasses(std::initializer_list<PassCase> cases) {
  for (const PassCase& c : cases) ExpectPass(c.probes, c.own, c.other);
}

// Rows of one tier table that match the probes, by the table rule alone.
RowMask MatchedRows(std::span<const PatternRow> rows, std::string_view pattern) {
  const std::string probes = Probes(pattern);
  ProbeStones stones{};
  for (std::size_t i = 0; i < stones.size(); ++i) {
    stones[i] = probes[i] == 'P' ? Stone::Mine : probes[i] == 'X' ? Stone::Theirs : Stone::Empty;
  }
  return MatchTier(rows, stones);
}

RowMask RowNumbers(std::initializer_list<int> rows) {
  RowMask mask = 0;
  for (int row : rows) mask |= RowMask{1} << (row - 1);
  return mask;
}

// One pass at (x, y) of a whole position, for board-edge cases.
Int32 PassAt(const Rows& rows, CellCode own, CellCode examined, Int32 x, Int32 y, Int32 dx,
             Int32 dy) {
  RunState state = testing::StateOf(rows, own);
  state.x = x;
  state.y = y;
  state.examinedCode = examined;
  RunPass(state, dx, dy);
  return state.scoreGrid.cell(x, y);
}

// Four stones of `stone` at columns 1 to 4 of row 7.
Rows FourFromColumnOne(char stone) {
  Rows rows = testing::EmptyRows();
  for (Int32 x = 1; x <= 4; ++x) Put(rows, x, 7, stone);
  return rows;
}

TEST(Cascade, NothingWithoutAStoneOfTheExaminedCode) {
  ExpectPasses({{"--|----", 0, 0}, {"XX|XXXX", 0, 0}, {"X-|-X-X", 0, 0}});
}

TEST(FiveCompletionTier, CandidateFirstOfFive) {
  // Row 1 calls the bonus once (60010 or 4000) and the tier's tally adds 1.
  ExpectPasses({{"?-|PPPP", 60011, 4001}, {"?X|PPPP", 60011, 4001}});
  EXPECT_EQ(MatchedRows(tiers::kFive, "--|PPPP"), RowNumbers({1}));
}

TEST(FiveCompletionTier, CandidateSecondOfFive) {
  ExpectPasses({{"-P|PPPX", 60011, 4001}, {"XP|PPP-", 60011, 4001}});
  // Six in a row: row 1 holds and row 2 does not.
  ExpectPasses({{"-P|PPPP", 60011, 4001}});
  EXPECT_EQ(MatchedRows(tiers::kFive, "-P|PPPP"), RowNumbers({1}));
}

TEST(FiveCompletionTier, TwoFivesInOnePass) {
  ExpectPasses({{"PP|PPP-", 120022, 8002}, {"PP|PPPX", 120022, 8002}, {"PP|PPPP", 120022, 8002}});
  EXPECT_EQ(MatchedRows(tiers::kFive, "PP|PPP-"), RowNumbers({2, 3}));
  EXPECT_EQ(MatchedRows(tiers::kFive, "PP|PPPP"), RowNumbers({1, 3}));
}

TEST(FiveCompletionTier, CentredFiveStopsTheLaterTiers) {
  // The three-stone tier's row 1 also holds here; the gate keeps it out.
  ExpectPasses({{"PP|PP--", 60011, 4001}, {"PP|PPX?", 60011, 4001}});
  EXPECT_NE(MatchedRows(tiers::kThree, "PP|PP--"), 0u);
}

TEST(FiveCompletionTier, MarginReadsEmptyAtTheBoardEdge) {
  // From column 0 towards the four: c(-1) and c(-2) lie in the margin.
  EXPECT_EQ(PassAt(FourFromColumnOne('x'), 1, 1, 0, 7, 1, 0), 60011);
  EXPECT_EQ(PassAt(FourFromColumnOne('o'), 1, 2, 0, 7, 1, 0), 4001);
  // A corner: along (1, 1) the probes behind (0, 0) are in the margin, along
  // (-1, -1) those ahead of it, where the three-stone tier then holds.
  Rows diagonal = testing::EmptyRows();
  for (Int32 i = 1; i <= 4; ++i) Put(diagonal, i, i, 'x');
  EXPECT_EQ(PassAt(diagonal, 1, 1, 0, 0, 1, 1), 60011);
  EXPECT_EQ(PassAt(diagonal, 1, 1, 0, 0, -1, -1), 70);
}

TEST(OpenFourTier, CandidateFirstOrSecond) {
  ExpectPasses({{"?-|PPP-", 1000, 400}, {"-P|PP-?", 1000, 400}});
}

TEST(OpenFourTier, StopsTheFourTier) {
  // Row 4 of the four tier holds too, but the pass adds 1000, not 1150.
  EXPECT_EQ(MatchedRows(tiers::kFour, "-P|PP--"), RowNumbers({4}));
  ExpectPasses({{"-P|PP--", 1000, 400}});
}

TEST(FourTier, FourClosedOnOneSide) {
  ExpectPasses({
      {"XP|PP--", 150, 60},  // row 4
      {"?X|PPP-", 150, 60},  // row 1, whatever c(-2) holds
      {"X-|PPPX", 150, 60},  // row 2
  });
}

TEST(FourTier, BrokenFours) { ExpectPasses({{"--|P-PP", 150, 60}, {"--|-PPP", 150, 60}}); }

TEST(FourTier, TwoFoursInOnePass) {
  ExpectPasses({{"PP|P-PP", 300, 120}, {"PP|-PPP", 300, 120}});
  EXPECT_EQ(MatchedRows(tiers::kFour, "PP|P-PP"), RowNumbers({5, 7}));
  EXPECT_EQ(MatchedRows(tiers::kFour, "PP|-PPP"), RowNumbers({8, 10}));
}

TEST(FourTier, DeadFourScoresNothing) { ExpectPasses({{"?X|PPPX", 0, 0}, {"XP|PPX?", 0, 0}}); }

TEST(OpenThreeTier, SolidAndBrokenThrees) {
  ExpectPasses({
      {"?-|PP--", 150, 60},  // row 1
      {"--|PP-X", 150, 60},  // row 2
      {"?-|P-P-", 150, 60},  // row 3
      {"-P|P--?", 150, 60},  // row 4
      {"?-|-PP-", 150, 60},  // row 5
      {"-P|-P-?", 150, 60},  // row 6
  });
}

TEST(OpenThreeTier, ClosedThreeFallsToTheThreeTier) {
  ExpectPasses({{"X-|PP-X", 70, 28}});
  EXPECT_EQ(MatchedRows(tiers::kOpenThree, "X-|PP-X"), 0u);
}

TEST(ThreeTier, SingleRows) {
  ExpectPasses({
      {"-X|PP--", 70, 28},  // row 1
      {"X-|PP-X", 70, 28},  // row 2
      {"XP|P--P", 70, 28},  // row 5; row 6 fails on c(+4)
      {"XP|P---", 70, 28},  // row 6
      {"XP|P--X", 70, 28},  // row 6
  });
}

TEST(ThreeTier, TwoRowsInOnePass) {
  ExpectPasses({{"P-|P--P", 140, 56}});
  EXPECT_EQ(MatchedRows(tiers::kThree, "P-|P--P"), RowNumbers({5, 8}));
}

TEST(ThreeTier, StopsTheTwoStoneTiers) {
  EXPECT_EQ(MatchedRows(tiers::kThree, "--|-P-P"), RowNumbers({11}));
  EXPECT_NE(MatchedRows(tiers::kTwoInSix, "--|-P-P"), 0u);
  ExpectPasses({{"--|-P-P", 70, 28}});
}

TEST(ThreeTier, ThreeClosedOnBothSidesScoresNothing) { ExpectPasses({{"XX|PP-X", 0, 0}}); }

TEST(ThreeTier, MarginReadsEmptyAtTheBoardEdge) {
  // From column 0 away from the four: c(+1) to c(+4) lie in the margin.
  EXPECT_EQ(PassAt(FourFromColumnOne('x'), 1, 1, 0, 7, -1, 0), 70);
  EXPECT_EQ(PassAt(FourFromColumnOne('o'), 1, 2, 0, 7, -1, 0), 28);
}

TEST(TwoInSixTier, SecondStoneAhead) {
  ExpectPasses({
      {"--|P---", 60, 24},  // rows 1 and 2
      {"X-|P---", 30, 12},  // row 1 alone
      {"--|--P-", 30, 12},  // row 5
      {"-P|----", 30, 12},  // row 6
  });
}

TEST(TwoInSixTier, StopsTheTwoInFiveTier) {
  EXPECT_EQ(MatchedRows(tiers::kTwoInFive, "--|--P-"), RowNumbers({5, 6}));
  EXPECT_EQ(MatchedRows(tiers::kTwoInFive, "P-|--P-"), RowNumbers({5, 6, 9}));
  EXPECT_EQ(MatchedRows(tiers::kTwoInFive, "-P|---P"), RowNumbers({7, 8, 10}));
  ExpectPasses({{"P-|--P-", 30, 12}, {"-P|---P", 30, 12}});
}

TEST(TwoInFiveTier, SecondStoneWithinFive) {
  ExpectPasses({
      {"X-|P--X", 10, 4},  // row 2
      {"--|---P", 10, 4},  // row 7
      {"P-|---P", 20, 8},  // rows 7 and 9
  });
}

TEST(TwoInFiveTier, MarginReadsEmptyAtTheBoardEdge) {
  Rows rows = testing::EmptyRows();
  Put(rows, 17, 3, 'x');
  EXPECT_EQ(PassAt(rows, 1, 1, 19, 3, 1, 0), 10);
  EXPECT_EQ(PassAt(rows, 2, 1, 19, 3, 1, 0), 4);
}

}  // namespace
}  // namespace fiverow
