#include "game/Rules.h"

#include <algorithm>
#include <array>

namespace fiverow::match {

std::string_view RuleName(Rule rule) { return kRuleNames.NameOf(rule); }

std::optional<Rule> RuleNamed(std::string_view name) { return kRuleNames.Named(name); }

bool Wins(const Position& position, Move cell, Rule rule) {
  const Side side = position.At(cell) == StoneChar(Side::X) ? Side::X : Side::O;
  if (!NeedsExactlyFive(rule, side)) return position.CompletesFive(cell);
  const std::array<int, 4> lengths = position.LinesThrough(cell);
  return std::find(lengths.begin(), lengths.end(), kWinLength) != lengths.end();
}

}  // namespace fiverow::match
