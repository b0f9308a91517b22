// Values that options of several tools take, read with messages for people.
// Each throws UsageError for a value it cannot take.
#pragma once

#include <cstdint>
#include <string>

#include "common/UsageError.h"

namespace fiverow::tools {

// A whole number from `low` to `high`.
std::int64_t ParseWholeNumber(const std::string& option, const std::string& text, std::int64_t low,
                              std::int64_t high);
// A number of seconds above 0 (or from 0 with `zero`), at most a day.
double ParseSeconds(const std::string& option, const std::string& text, bool zero = false);

}  // namespace fiverow::tools
