// The board as the referee prints it.
#include <gtest/gtest.h>

#include <algorithm>

#include "game/BoardText.h"

namespace fiverow::match {
namespace {

TEST(BoardText, MarksTheLastMoveAndColoursOnlyWhenAsked) {
  Position position;
  position.Place({0, 0}, Side::X);
  position.Place({19, 19}, Side::O);
  const std::string plain = RenderBoard(position, Move{19, 19}, false);
  EXPECT_EQ(plain.find('\033'), std::string::npos);
  EXPECT_NE(plain.find("  0 x  . "), std::string::npos);
  EXPECT_NE(plain.find(" 19 .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  .  . [o]\n"),
            std::string::npos);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 21);
  EXPECT_NE(RenderBoard(position, Move{19, 19}, true).find('\033'), std::string::npos);
}

}  // namespace
}  // namespace fiverow::match
