// What wins: five or more in a row (freestyle), or exactly five, where a
// longer line (an overline) does not win (standard).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "game/Position.h"

namespace fiverow::match {

enum class Rule : std::uint8_t { Freestyle, Standard };

// "freestyle", "standard".
std::string_view RuleName(Rule rule);
std::optional<Rule> RuleNamed(std::string_view name);

// Whether the stone on `cell` wins by `rule`.
bool Wins(const Position& position, Move cell, Rule rule);

}  // namespace fiverow::match
