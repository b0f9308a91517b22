// The one judge of stones: where a stone may go and what it brings about by
// the rule. The game loop, the record check and the openings all ask it.
#pragma once

#include <cstdint>
#include <optional>

#include "game/Renju.h"
#include "game/Rules.h"

namespace fiverow::match {

enum class Verdict : std::uint8_t {
  Continues,  // placed; the game goes on
  OffBoard,   // not placed
  Occupied,   // not placed
  Forbidden,  // placed, and loses: renju forbids it to x
  Wins,       // placed, and wins by the rule
};

struct Judgement {
  Verdict verdict = Verdict::Continues;
  Foul foul = Foul::Overline;  // when Forbidden
  int length = 0;              // when Wins: the longest line through the stone
};

// Judges `side`'s stone on `cell` of `position` by `rule`, and places it
// there unless the cell is off the board or taken.
Judgement PlaceStone(Position& position, Move cell, Side side, Rule rule);

}  // namespace fiverow::match
