// The reward of the five-completion tier.
#pragma once

#include "engine/RunState.h"

namespace fiverow {

inline constexpr Int32 kOwnFiveBonus = 60000;    // plus Weight
inline constexpr Int32 kOtherFiveBonus = 4000;

// Adds the five bonus to the score of the cell (x, y) of the record and counts
// the five in Tally. Works on the record's x, y, ExaminedCode, OwnCode and
// Weight.
void FiveBonus(RunState& state);

}  // namespace fiverow
