// The two sides of a game, x (the first player) and o, with arrays indexed
// by them.
#pragma once

#include <array>
#include <cstdint>

#include "common/EnumArray.h"

namespace fiverow::match {

enum class Side : std::uint8_t { X, O };
inline constexpr std::size_t kSideCount = 2;
inline constexpr std::array<Side, kSideCount> kSides{Side::X, Side::O};

constexpr Side Opponent(Side side) { return side == Side::X ? Side::O : Side::X; }
constexpr char StoneChar(Side side) { return side == Side::X ? 'x' : 'o'; }

template <typename T>
using PerSide = tools::EnumArray<Side, kSideCount, T>;

}  // namespace fiverow::match
