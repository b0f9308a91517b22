// The reward of the five-completion tier.
#pragma once

#include "engine/RunState.h"
#include "runtime/Checked.h"

namespace fiverow {

inline constexpr Int32 kOwnFiveBonus = 60000;  // plus Weight
inline constexpr Int32 kOtherFiveBonus = 4000;

// What one FiveBonus call adds to the cell's score: Weight + 60000 for a five
// of the engine's own code, 4000 for one of the other code.
constexpr Int32 FiveBonusAmount(bool ownCode, Int32 weight) {
  return ownCode ? CheckedAdd(weight, kOwnFiveBonus) : kOtherFiveBonus;
}

// Adds the five bonus to the score of the cell (x, y) of the record and counts
// the five in Tally. Works on the record's x, y, ExaminedCode, OwnCode and
// Weight.
void FiveBonus(RunState& state);

}  // namespace fiverow
