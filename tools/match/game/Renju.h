// Renju's forbidden moves: x (the first player) may not make an overline,
// two fours at once or two open threes at once, unless the move makes
// exactly five. o has no restrictions.
//
// A four is a group of four x stones within five consecutive cells of one
// line such that one more x stone there makes exactly five; a straight four
// (-XXXX-) is one four, while X-XXX-X with the move in the middle is two. An
// open three is a group of three x stones on one line to which one more x
// stone, itself not forbidden, makes a straight four; threes count on
// different lines only.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "game/Position.h"

namespace fiverow::match {

// Reported by the first that applies, in this order.
enum class Foul : std::uint8_t { Overline, DoubleFour, DoubleThree };

// Whether x's stone, just placed on `move` of `position`, is forbidden, and
// why; only groups that include `move` count.
std::optional<Foul> RenjuFoul(const Position& position, Move move);

// "overline", "double-four", "double-three".
std::string_view FoulName(Foul foul);

}  // namespace fiverow::match
