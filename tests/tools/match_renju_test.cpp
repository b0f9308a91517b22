// Renju's forbidden moves, on positions worked out by hand.
#include <gtest/gtest.h>

#include "game/Renju.h"
#include "game/Rules.h"

namespace fiverow::match {
namespace {

// The stones of `rows` ('x', 'o', '.' for none) with the top left character
// on 7,7; '*' is x's move, placed with the rest.
struct Drawn {
  Position position;
  Move move;
};
Drawn Draw(std::initializer_list<std::string_view> rows) {
  Drawn drawn;
  Int32 y = 7;
  for (const std::string_view row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      const Move cell{7 + static_cast<Int32>(i), y};
      if (row[i] == '*') drawn.move = cell;
      if (row[i] == 'o') drawn.position.Place(cell, Side::O);
      if (row[i] == 'x' || row[i] == '*') drawn.position.Place(cell, Side::X);
    }
    ++y;
  }
  return drawn;
}

std::optional<Foul> FoulIn(std::initializer_list<std::string_view> rows) {
  const Drawn drawn = Draw(rows);
  return RenjuFoul(drawn.position, drawn.move);
}

TEST(RenjuFouls, EachKindAndTheFirstOfSeveral) {
  EXPECT_EQ(FoulIn({"xx*xxx"}), Foul::Overline);
  EXPECT_EQ(FoulIn({"xxx*.",  //
                    "...x.", "...x.", "...x."}),
            Foul::DoubleFour);
  EXPECT_EQ(FoulIn({"......",  //
                    "..xx*.", "....x.", "....x.", "......"}),
            Foul::DoubleThree);
  // An overline that also makes two fours, two fours that also make two
  // threes.
  EXPECT_EQ(FoulIn({"xx*xxx",  //
                    "..xx..", "..x.x.", "..x..x"}),
            Foul::Overline);
  EXPECT_EQ(FoulIn({".........",  //
                    "....x....", "....x....", "....x....", ".xxx*....", "...x.x...", "..x...x..",
                    ".........", "........."}),
            Foul::DoubleFour);
}

TEST(RenjuFouls, ExactlyFiveWinsWhateverElseTheMoveMakes) {
  const Drawn drawn = Draw({"xx*xx",  //
                            "..xx.", "..x.x", "..x..x"});
  EXPECT_EQ(RenjuFoul(drawn.position, drawn.move), std::nullopt);
  EXPECT_TRUE(Wins(drawn.position, drawn.move, Rule::Renju));
  // Six wins for o only.
  Position six = Draw({"xxxxxx"}).position;
  EXPECT_FALSE(Wins(six, {9, 7}, Rule::Renju));
  for (Int32 x = 7; x < 13; ++x) six.Place({x, 7}, Side::O);
  EXPECT_TRUE(Wins(six, {9, 7}, Rule::Renju));
}

TEST(RenjuFouls, FoursAreCountedByTheirStones) {
  EXPECT_EQ(FoulIn({"..xx*x.."}), std::nullopt);  // a straight four is one four
  EXPECT_EQ(FoulIn({"x.x*x.x"}), Foul::DoubleFour);
  EXPECT_EQ(FoulIn({"xx.*x.xx"}), Foul::DoubleFour);
  EXPECT_EQ(FoulIn({"xx*x.x"}), std::nullopt);  // filling the gap makes six, not five
}

TEST(RenjuFouls, OnlyOpenThreesOnDifferentLinesCount) {
  // A straight four is no three as well.
  EXPECT_EQ(FoulIn({"..........",  //
                    "....*xxx..", "....x.....", "....x.....", ".........."}),
            std::nullopt);
  // A three with two cells that make it straight is one three.
  EXPECT_EQ(FoulIn({"...xx*...", "........."}), std::nullopt);
  // A three against a stone of o or the edge is not open.
  EXPECT_EQ(FoulIn({"......",  //
                    ".oxx*.", "....x.", "....x.", "......"}),
            std::nullopt);
  Position edge;
  for (const Move cell : {Move{1, 5}, {2, 5}, {0, 6}, {0, 7}}) edge.Place(cell, Side::X);
  edge.Place({0, 5}, Side::X);
  EXPECT_EQ(RenjuFoul(edge, {0, 5}), std::nullopt);
  // A split three is a three; a three that one more stone makes into a four
  // with six beyond, on either side, is not.
  EXPECT_EQ(FoulIn({"........",  //
                    "..x.*x..", "....x...", "....x...", "........"}),
            Foul::DoubleThree);
  EXPECT_EQ(FoulIn({"x..xx*..x",  //
                    ".....x...", ".....x...", "........."}),
            std::nullopt);
  EXPECT_EQ(FoulIn({"x..xx*...",  //
                    ".....x...", ".....x...", "........."}),
            Foul::DoubleThree);
}

TEST(RenjuFouls, AThreeIsNotOpenWhereTheStoneThatOpensItIsForbidden) {
  // x*.x makes a straight four only on the cell right of the move, where x
  // would make a four in its column too: a double-four. The column three of
  // the move is open, so the move makes one three.
  const std::initializer_list<std::string_view> blocked = {"..x*.x..",  //
                                                           "...xx...", "...xx...", "....x...",
                                                           "........"};
  EXPECT_EQ(FoulIn(blocked), std::nullopt);
  // Without the stone that makes that column a four, the move makes two.
  EXPECT_EQ(FoulIn({"..x*.x..",  //
                    "...xx...", "...xx...", "........", "........"}),
            Foul::DoubleThree);
}

}  // namespace
}  // namespace fiverow::match
