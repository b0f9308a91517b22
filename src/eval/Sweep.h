// The evaluation sweep: scores every empty play-area cell by 16 passes, one per
// direction and stone code, each running the cascade of pattern tiers.
#pragma once

#include "engine/RunState.h"
#include "eval/PatternRow.h"

namespace fiverow {

inline constexpr Int32 kOwnWeight = 10;
inline constexpr Int32 kOtherWeight = 4;

// Fills scoreGrid for all 400 play-area cells: 0 for an occupied cell, the sum
// of its passes for an empty one.
void EvaluateBoard(RunState& state);

// The six probes of the cell (x, y) of the record along (dx, dy), seen
// relative to its examined code. Every probe index is checked.
ProbeStones ReadProbes(RunState& state, Int32 dx, Int32 dy);

// One pass at the cell (x, y) for the record's examined code along (dx, dy):
// adds its amount to the cell's score.
void RunPass(RunState& state, Int32 dx, Int32 dy);

}  // namespace fiverow
