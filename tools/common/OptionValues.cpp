#include "common/OptionValues.h"

#include <charconv>
#include <cmath>
#include <exception>

namespace fiverow::tools {

std::int64_t ParseWholeNumber(const std::string& option, const std::string& text, std::int64_t low,
                              std::int64_t high) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < low || value > high) {
    throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  }
  return value;
}

double ParseSeconds(const std::string& option, const std::string& text, bool zero) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || !std::isfinite(value) || value < 0 ||
      (value == 0 && !zero) || value > 86400) {
    throw UsageError(option + " needs a number of seconds " + (zero ? "from 0" : "above 0") +
                     " (at most 86400), not \"" + text + "\"");
  }
  return value;
}

}  // namespace fiverow::tools
