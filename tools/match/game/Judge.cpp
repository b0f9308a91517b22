#include "game/Judge.h"

namespace fiverow::match {

Judgement PlaceStone(Position& position, Move cell, Side side, Rule rule) {
  if (!position.OnBoard(cell)) return {Verdict::OffBoard};
  if (!position.IsEmpty(cell)) return {Verdict::Occupied};
  position.Place(cell, side);
  if (rule == Rule::Renju && side == Side::X) {
    if (const std::optional<Foul> foul = RenjuFoul(position, cell))
      return {Verdict::Forbidden, *foul};
  }
  if (Wins(position, cell, rule))
    return {Verdict::Wins, Foul::Overline, position.LongestLineThrough(cell)};
  return {};
}

}  // namespace fiverow::match
