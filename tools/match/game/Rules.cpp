#include "game/Rules.h"

#include <algorithm>
#include <array>

namespace fiverow::match {

namespace {
constexpr std::array<std::pair<Rule, std::string_view>, 3> kRuleNames{{
    {Rule::Freestyle, "freestyle"},
    {Rule::Standard, "standard"},
    {Rule::Renju, "renju"},
}};
}  // namespace

std::string_view RuleName(Rule rule) {
  for (const auto& [known, name] : kRuleNames) {
    if (known == rule) return name;
  }
  return "freestyle";
}

std::optional<Rule> RuleNamed(std::string_view name) {
  for (const auto& [rule, known] : kRuleNames) {
    if (known == name) return rule;
  }
  return std::nullopt;
}

bool Wins(const Position& position, Move cell, Rule rule) {
  const Side side = position.At(cell) == StoneChar(Side::X) ? Side::X : Side::O;
  if (!NeedsExactlyFive(rule, side)) return position.CompletesFive(cell);
  const std::array<int, 4> lengths = position.LinesThrough(cell);
  return std::find(lengths.begin(), lengths.end(), kWinLength) != lengths.end();
}

}  // namespace fiverow::match
