// The values the referee's options take, read with messages for people.
// Each throws UsageError for a value it cannot take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/OptionValues.h"
#include "game/OpeningNotation.h"
#include "game/Rules.h"
#include "match/OpeningSchedule.h"
#include "output/TerminalView.h"
#include "stats/Rating.h"

namespace fiverow::match {

using UsageError = tools::UsageError;

using tools::ParseSeconds;
using tools::ParseWholeNumber;
std::uint64_t ParseSeed(const std::string& option, const std::string& text);
Rule ParseRule(const std::string& text);
OpeningFormat ParseOpeningFormat(const std::string& text);
OpeningOrder ParseOpeningOrder(const std::string& text);
Show ParseShow(const std::string& text);
// "E:VALUE" for engine E alone (E a letter, A, B, ...), or "VALUE" for all.
struct EngineValue {
  std::optional<std::size_t> engine;
  std::string value;
};
EngineValue ParseEngineValue(const std::string& option, const std::string& text);

// "E:KEY=VALUE" for --engine-option: a key the referee does not send
// itself, of letters, digits and underscores, and a value without control
// characters.
struct EngineInfo {
  std::size_t engine = 0;
  std::string key;
  std::string value;
};
EngineInfo ParseEngineInfo(const std::string& option, const std::string& text);

// "elo0=E0,elo1=E1,alpha=A,beta=B" in any order.
SprtParameters ParseSprtParameters(std::string_view text);

}  // namespace fiverow::match
