// Blanks (spaces and tabs) around words typed or sent by people and engines.
#pragma once

#include <string_view>

namespace fiverow::tools {

constexpr std::string_view TrimmedBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace fiverow::tools
