// The values the referee's options take, read with messages for people.
// Each throws UsageError for a value it cannot take.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Arguments.h"
#include "game/OpeningNotation.h"
#include "game/Rules.h"
#include "match/OpeningSchedule.h"
#include "output/TerminalView.h"
#include "stats/Rating.h"

namespace fiverow::match {

using UsageError = tools::UsageError;

// A whole number from `low` to `high`.
std::int64_t ParseWholeNumber(const std::string& option, const std::string& text, std::int64_t low,
                              std::int64_t high);
std::uint64_t ParseSeed(const std::string& option, const std::string& text);
// A number of seconds above 0 (or from 0 with `zero`), at most a day.
double ParseSeconds(const std::string& option, const std::string& text, bool zero = false);
Rule ParseRule(const std::string& text);
OpeningFormat ParseOpeningFormat(const std::string& text);
OpeningOrder ParseOpeningOrder(const std::string& text);
Show ParseShow(const std::string& text);
// "elo0=E0,elo1=E1,alpha=A,beta=B" in any order.
SprtParameters ParseSprtParameters(std::string_view text);

}  // namespace fiverow::match
