// A fixed array indexed by an enumeration rather than by a number, so that the
// index says what it counts (a side, an engine) and cannot be mixed up.
#pragma once

#include <array>
#include <cstddef>

namespace fiverow::tools {

template <typename Enum, std::size_t kCount, typename T>
class EnumArray {
 public:
  constexpr T& operator[](Enum key) { return items_[static_cast<std::size_t>(key)]; }
  constexpr const T& operator[](Enum key) const { return items_[static_cast<std::size_t>(key)]; }

  constexpr auto begin() { return items_.begin(); }
  constexpr auto end() { return items_.end(); }
  constexpr auto begin() const { return items_.begin(); }
  constexpr auto end() const { return items_.end(); }

 private:
  std::array<T, kCount> items_{};
};

}  // namespace fiverow::tools
