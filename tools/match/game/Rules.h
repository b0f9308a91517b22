// What wins: five or more in a row (freestyle), or exactly five, where a
// longer line (an overline) does not win (standard). Under renju x wins with
// exactly five and o with five or more; x's forbidden moves are judged apart
// (game/Renju.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/NameTable.h"
#include "game/Position.h"

namespace fiverow::match {

enum class Rule : std::uint8_t { Freestyle, Standard, Renju };

inline constexpr tools::NameTable<Rule, 3> kRuleNames{{{
    {Rule::Freestyle, "freestyle"},
    {Rule::Standard, "standard"},
    {Rule::Renju, "renju"},
}}};

// "freestyle", "standard", "renju".
std::string_view RuleName(Rule rule);
std::optional<Rule> RuleNamed(std::string_view name);

// Whether `side` needs exactly five by `rule`, an overline not winning.
constexpr bool NeedsExactlyFive(Rule rule, Side side) {
  return rule == Rule::Standard || (rule == Rule::Renju && side == Side::X);
}

// Whether the stone on `cell` wins by `rule`.
bool Wins(const Position& position, Move cell, Rule rule);

}  // namespace fiverow::match
