// Numbers as people read them in the referee's output.
#pragma once

#include <string>

namespace fiverow::match {

// Fixed-point, with infinities spelt "inf" and "-inf" on every platform and
// no sign on a value that rounds to zero.
std::string FixedText(double value, int decimals);
// The shortest form: "0.05", "10".
std::string ShortText(double value);
// "2.1 ms".
std::string MillisecondsText(double seconds);

}  // namespace fiverow::match
