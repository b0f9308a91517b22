// The reward of the five-completion tier.
#pragma once

#include "eval/TierTables.h"
#include "runtime/Checked.h"
#include "state/RunState.h"

namespace fiverow {

// FiveBonus on a given score and Tally: adds Weight + 60000 to the score for a
// five of the engine's own code, 4000 for one of the other code, and counts
// the five in Tally. Every step is checked.
constexpr void AddFiveBonus(Int32& score, Int32& tally, bool ownCode, Int32 weight) {
  score = CheckedAdd(score, ownCode ? CheckedAdd(weight, kOwnFiveBonus) : kOtherFiveBonus);
  tally = CheckedAdd(tally, 1);
}

// Adds the five bonus to the score of the cell (x, y) of the record and counts
// the five in Tally. Works on the record's x, y, ExaminedCode, OwnCode and
// Weight.
void FiveBonus(RunState& state);

}  // namespace fiverow
