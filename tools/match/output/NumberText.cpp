#include "output/NumberText.h"

#include <cmath>
#include <cstdio>

namespace fiverow::match {

std::string FixedText(double value, int decimals) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find_first_not_of("-0.") == std::string::npos && text.starts_with('-')) text.erase(0, 1);
  return text;
}

std::string ShortText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string MillisecondsText(double seconds) { return FixedText(seconds * 1000.0, 1) + " ms"; }

}  // namespace fiverow::match
