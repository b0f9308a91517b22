// Whether a text holds a part, for expectations on what programs write.
#pragma once

#include <string>

namespace fiverow::testing {

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace fiverow::testing
