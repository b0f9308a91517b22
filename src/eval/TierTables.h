// The scoring, as data: the seven pattern tiers of a pass, what their
// matching rows are worth (the weights, the multipliers and the five
// bonuses), and the eight directions of a cell's passes. Each table lists its
// rows in order, one column per probe: c(-2), c(-1), c(+1), c(+2), c(+3), c(+4).
//
//   P  the examined code     E  empty          N  not the examined code
//   O  occupied (either)     _  not tested
//
// The cascade that runs these tables is eval/Cascade.h.
#pragma once

#include <array>
#include <span>

#include "eval/PatternRow.h"

namespace fiverow::tiers {

inline constexpr Word P = Word::P;
inline constexpr Word E = Word::Empty;
inline constexpr Word N = Word::NotP;
inline constexpr Word O = Word::Occupied;
inline constexpr Word _ = Word::Any;
inline constexpr OnMatch Next = OnMatch::NextRow;
inline constexpr OnMatch Leave = OnMatch::LeaveTier;

// Tier 1: five completion. Each matching row calls FiveBonus.
inline constexpr std::array<PatternRow, 3> kFive{{
    //  c-2 c-1 c+1 c+2 c+3 c+4
    {{_, _, P, P, P, P}, Next},   // 1
    {{_, P, P, P, P, N}, Next},   // 2
    {{P, P, P, P, _, _}, Leave},  // 3
}};

// Tier 2: open four. Multiplier 100.
inline constexpr std::array<PatternRow, 2> kOpenFour{{
    {{_, E, P, P, P, E}, Leave},  // 1
    {{E, P, P, P, E, _}, Leave},  // 2
}};

// Tier 3: four. Multiplier 15.
inline constexpr std::array<PatternRow, 10> kFour{{
    {{_, _, P, P, P, E}, Leave},  // 1
    {{_, E, P, P, P, O}, Leave},  // 2
    {{_, _, P, P, E, P}, Leave},  // 3
    {{_, P, P, P, E, N}, Leave},  // 4
    {{_, _, P, E, P, P}, Next},   // 5
    {{_, P, P, E, P, N}, Next},   // 6
    {{P, P, P, E, _, _}, Leave},  // 7
    {{_, _, E, P, P, P}, Next},   // 8
    {{_, P, E, P, P, N}, Next},   // 9
    {{P, P, E, P, _, _}, Leave},  // 10
}};

// Tier 4: open three. Multiplier 15.
inline constexpr std::array<PatternRow, 6> kOpenThree{{
    {{_, E, P, P, E, E}, Leave},  // 1
    {{E, E, P, P, E, O}, Leave},  // 2
    {{_, E, P, E, P, E}, Leave},  // 3
    {{E, P, P, E, E, _}, Leave},  // 4
    {{_, E, E, P, P, E}, Leave},  // 5
    {{E, P, E, P, E, _}, Leave},  // 6
}};

// Tier 5: three within five cells. Multiplier 7.
inline constexpr std::array<PatternRow, 16> kThree{{
    {{_, _, P, P, E, E}, Leave},  // 1
    {{_, E, P, P, E, O}, Leave},  // 2
    {{_, _, P, E, P, E}, Next},   // 3
    {{_, E, P, E, P, O}, Next},   // 4
    {{_, _, P, E, E, P}, Next},   // 5
    {{_, P, P, E, E, N}, Next},   // 6
    {{E, P, P, E, _, _}, Leave},  // 7
    {{P, E, P, E, _, _}, Leave},  // 8
    {{_, _, E, P, P, E}, Next},   // 9
    {{_, E, E, P, P, O}, Next},   // 10
    {{_, _, E, P, E, P}, Next},   // 11
    {{_, P, E, P, E, N}, Next},   // 12
    {{P, E, E, P, _, _}, Leave},  // 13
    {{_, _, E, E, P, P}, Next},   // 14
    {{_, P, E, E, P, N}, Next},   // 15
    {{P, P, E, E, _, _}, Leave},  // 16
}};

// Tier 6: two stones within six cells, neither at an end. Multiplier 3.
inline constexpr std::array<PatternRow, 6> kTwoInSix{{
    {{_, E, P, E, E, E}, Next},   // 1
    {{E, E, P, E, E, _}, Leave},  // 2
    {{_, E, E, P, E, E}, Next},   // 3
    {{E, E, E, P, E, _}, Next},   // 4
    {{_, E, E, E, P, E}, Next},   // 5
    {{E, P, E, E, E, _}, Leave},  // 6
}};

// Tier 7: two stones within five cells. Multiplier 1.
inline constexpr std::array<PatternRow, 10> kTwoInFive{{
    {{_, _, P, E, E, E}, Next},   // 1
    {{_, E, P, E, E, _}, Leave},  // 2
    {{_, _, E, P, E, E}, Next},   // 3
    {{_, E, E, P, E, _}, Next},   // 4
    {{_, _, E, E, P, E}, Next},   // 5
    {{_, E, E, E, P, _}, Next},   // 6
    {{_, _, E, E, E, P}, Next},   // 7
    {{_, P, E, E, E, _}, Next},   // 8
    {{P, E, E, E, _, _}, Next},   // 9
    {{E, P, E, E, _, _}, Leave},  // 10
}};

// What a matching row of a tier does.
enum class Reward : unsigned char { FiveBonus, WeightTimesMultiplier };

struct Tier {
  int number;        // 1..7, in cascade order
  const char* name;  // for people: "open four", ...
  std::span<const PatternRow> rows;
  Reward reward;
  Int32 multiplier;  // for WeightTimesMultiplier
};

// The cascade, in order: the first tier in which any row matches decides a pass.
inline constexpr std::array<Tier, 7> kCascade{{
    {1, "five", kFive, Reward::FiveBonus, 0},
    {2, "open four", kOpenFour, Reward::WeightTimesMultiplier, 100},
    {3, "four", kFour, Reward::WeightTimesMultiplier, 15},
    {4, "open three", kOpenThree, Reward::WeightTimesMultiplier, 15},
    {5, "three", kThree, Reward::WeightTimesMultiplier, 7},
    {6, "two in six", kTwoInSix, Reward::WeightTimesMultiplier, 3},
    {7, "two in five", kTwoInFive, Reward::WeightTimesMultiplier, 1},
}};

}  // namespace fiverow::tiers

namespace fiverow {

// Weight: what a pass multiplies its tier's multiplier by, 10 when the
// examined code is the engine's own and 4 when it is the other code.
inline constexpr Int32 kOwnWeight = 10;
inline constexpr Int32 kOtherWeight = 4;

constexpr Int32 WeightOf(bool ownCode) { return ownCode ? kOwnWeight : kOtherWeight; }

// What FiveBonus adds to the score for each five: Weight + 60000 for a five of
// the engine's own code, 4000 for one of the other code.
inline constexpr Int32 kOwnFiveBonus = 60000;
inline constexpr Int32 kOtherFiveBonus = 4000;

struct Direction {
  Int32 dx;
  Int32 dy;
};

// The eight directions of a cell's passes, in the sweep's order: dx from -1
// to 1, then dy. Each is run for code 1, then code 2.
inline constexpr std::array<Direction, 8> kDirections{{
    {-1, -1},
    {-1, 0},
    {-1, 1},
    {0, -1},
    {0, 1},
    {1, -1},
    {1, 0},
    {1, 1},
}};

}  // namespace fiverow
