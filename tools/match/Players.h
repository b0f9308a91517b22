// The two engines of a match, A and B, and the two sides of a game, x (the
// first player) and o, each with arrays indexed by them.
#pragma once

#include <array>
#include <cstdint>

#include "common/EnumArray.h"

namespace fiverow::match {

// The engines as given on the command line: A first, B second.
enum class Player : std::uint8_t { A, B };
inline constexpr std::size_t kPlayerCount = 2;
inline constexpr std::array<Player, kPlayerCount> kPlayers{Player::A, Player::B};

constexpr Player Other(Player player) { return player == Player::A ? Player::B : Player::A; }
constexpr char PlayerLetter(Player player) { return player == Player::A ? 'A' : 'B'; }

template <typename T>
using PerPlayer = tools::EnumArray<Player, kPlayerCount, T>;

// The sides of a game: the first player's stones are x, the second's o.
enum class Side : std::uint8_t { X, O };
inline constexpr std::size_t kSideCount = 2;

constexpr Side Opponent(Side side) { return side == Side::X ? Side::O : Side::X; }
constexpr char StoneChar(Side side) { return side == Side::X ? 'x' : 'o'; }

template <typename T>
using PerSide = tools::EnumArray<Side, kSideCount, T>;

}  // namespace fiverow::match
