// Games as SGF: what the referee writes, against hand-written expectations,
// and what it reads, of its own trees and of ordinary ones.
#include <gtest/gtest.h>

#include "Contains.h"
#include "output/Sgf.h"

namespace fiverow::match {
namespace {

// x makes five along the top row of a 15 x 15 board, o moves along the bottom.
GameRecord TopRowFive() {
  GameRecord record;
  record.boardSize = 15;
  record.opening = {{0, 0}, {0, 14}};
  record.moves = {{1, 0}, {1, 14}, {2, 0}, {2, 14}, {3, 0}, {3, 14}, {4, 0}};
  record.winner = Side::X;
  record.reason = "A (x) made five in a row with 4,0";
  return record;
}

PerSide<std::string> Players(std::string x, std::string o) {
  PerSide<std::string> players;
  players[Side::X] = std::move(x);
  players[Side::O] = std::move(o);
  return players;
}

using fiverow::testing::Contains;

TEST(SgfWriting, CellsColumnFirstEscapesAndEveryResult) {
  GameRecord record;
  record.boardSize = 15;
  record.rule = Rule::Renju;
  record.opening = {{7, 7}, {8, 8}};
  record.moves = {{0, 0}, {14, 14}, {1, 0}};
  record.winner = Side::O;
  record.reason = "A (x) wrote \"a]b\\c\"";
  EXPECT_EQ(FormatSgf(record, Players("fiverow", "B: ./my]engine\\"), Ending::TimeOut),
            "(;GM[4]FF[4]CA[UTF-8]SZ[15]PB[fiverow]PW[B: ./my\\]engine\\\\]RE[W+T]RU[renju]\n"
            "C[A (x) wrote \"a\\]b\\\\c\"]\n"
            ";B[hh];W[ii];B[aa];W[oo];B[ba])\n");

  const struct {
    std::optional<Side> winner;
    Ending ending;
    std::string value;
  } results[] = {
      {Side::X, Ending::Five, "RE[B+]"},          {Side::O, Ending::Resigned, "RE[W+R]"},
      {Side::X, Ending::Occupied, "RE[B+F]"},     {Side::O, Ending::Forbidden, "RE[W+F]"},
      {Side::O, Ending::ExitStatus, "RE[W+F]"},   {Side::X, Ending::BadText, "RE[B+F]"},
      {std::nullopt, Ending::BoardFull, "RE[0]"},
  };
  for (const auto& result : results) {
    record.winner = result.winner;
    EXPECT_TRUE(Contains(FormatSgf(record, {}, result.ending), result.value)) << result.value;
  }
}

TEST(SgfReading, ReadsBackWhatItWrites) {
  const GameRecord record = TopRowFive();
  const std::string tree = FormatSgf(record, Players("x]\\name", "o name"), Ending::Five);
  std::string error;
  const auto back = ParseSgf(tree + tree, 2, error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->boardSize, 15);
  EXPECT_EQ(back->rule, Rule::Freestyle);
  EXPECT_EQ(back->xCommand, "x]\\name");
  EXPECT_EQ(back->oCommand, "o name");
  EXPECT_EQ(back->winner, Side::X);
  EXPECT_EQ(back->reason, record.reason);
  // The opening's stones are moves.
  std::vector<Move> stones = record.opening;
  stones.insert(stones.end(), record.moves.begin(), record.moves.end());
  EXPECT_EQ(back->moves, stones);
  EXPECT_FALSE(ParseSgf(tree + tree, 3, error));
  EXPECT_EQ(error, "it holds 2 games, not 3");
}

TEST(SgfReading, FollowsTheMainLineOfOrdinaryTrees) {
  std::string error;
  const auto read = ParseSgf(
      "\xEF\xBB\xBF (;FF[3]GM[4]SZ[15]RU[Renju]AP[gui:1]PB[Black\\\n player]\n"
      "  PW[White\tone]RE[B+Resign]C[line\none]\n"
      "  ;B[hh] (;W[ii]C[a comment];B[hi]) (;W[aa]))",
      1, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->rule, Rule::Renju);
  EXPECT_EQ(read->xCommand, "Black player");
  EXPECT_EQ(read->oCommand, "White one");
  EXPECT_EQ(read->reason, "line\none");
  EXPECT_EQ(read->moves, (std::vector<Move>{{7, 7}, {8, 8}, {7, 8}}));
  EXPECT_EQ(read->winner, Side::X);
}

TEST(SgfReading, RefusesWhatItCannotReplay) {
  const std::pair<std::string, std::string> refused[] = {
      {"(;SZ[15]RE[B+]AB[aa];B[bb])", "setup stones (AB)"},
      {"(;GM[1]SZ[19]RE[B+R];B[aa])", "not a gomoku game"},
      {"(;RE[B+R];B[aa])", "no board size"},
      {"(;SZ[23]RE[B+R];B[aa])", "SZ[23] is not from 15 to 22"},
      {"(;SZ[15]RE[B+R];W[aa])", "do not alternate"},
      {"(;SZ[15]RE[W+R];B[aa])", "contradicts"},
      {"(;SZ[15]RE[B+R];B[pa])", "off the board"},
      {"(;SZ[15]RE[B+R];B[])", "bad move"},
      {"(;SZ[15]RE[?];B[aa])", "unknown result"},
      {"(;SZ[15]RE[B+R];B[aa]", "ends inside a game tree"},
      {"(;SZ[15]C[open", "ends inside the value of C"},
      {"x(;SZ[15])", "unexpected \"x\" at byte 1"},
      {std::string("(;SZ[15]RE[B+R];B[aa]\0)", 24), "game 1: a NUL byte at byte 22"},
      {[] {  // variations nested deeper than any stack
         std::string deep;
         for (int i = 0; i < 100000; ++i) deep += "(;";
         return deep;
       }(),
       "ends inside a game tree"},
  };
  for (const auto& [text, message] : refused) {
    std::string error;
    EXPECT_FALSE(ParseSgf(text, 1, error)) << text;
    EXPECT_TRUE(Contains(error, message)) << error;
  }
}

}  // namespace
}  // namespace fiverow::match
