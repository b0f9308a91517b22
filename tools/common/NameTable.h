// The values of an enumeration with the names people and files use for
// them, looked up either way.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace fiverow::tools {

template <typename Enum, std::size_t kCount>
struct NameTable {
  std::array<std::pair<Enum, std::string_view>, kCount> entries;

  constexpr std::string_view NameOf(Enum value) const {
    for (const auto& [known, name] : entries) {
      if (known == value) return name;
    }
    return entries.front().second;
  }
  constexpr std::optional<Enum> Named(std::string_view name) const {
    for (const auto& [value, known] : entries) {
      if (known == name) return value;
    }
    return std::nullopt;
  }
  // "a, b or c".
  std::string Choices() const {
    std::string text;
    for (std::size_t i = 0; i < kCount; ++i) {
      if (i > 0) text += i + 1 == kCount ? " or " : ", ";
      text += entries[i].second;
    }
    return text;
  }
};

}  // namespace fiverow::tools
