// The evaluation sweep: scores every empty play-area cell by 16 passes, one per
// direction and stone code, each running the cascade of pattern tiers.
#pragma once

#include "eval/PatternRow.h"
#include "state/RunState.h"

namespace fiverow {

// Fills scoreGrid for all 400 play-area cells: 0 for an occupied cell, the sum
// of its passes for an empty one. Each pass takes its outcome from the pass
// table (eval/PassTable.h).
void EvaluateBoard(RunState& state);

// The six probes of the cell (x, y) of the record along (dx, dy), seen
// relative to its examined code. Every probe index is checked.
ProbeStones ReadProbes(const RunState& state, Int32 dx, Int32 dy);

// One pass at the cell (x, y) for the record's examined code along (dx, dy):
// adds its amount to the cell's score and leaves Weight and Tally as the
// cascade would.
void RunPass(RunState& state, Int32 dx, Int32 dy);

// The same pass run tier by tier by the cascade (eval/Cascade.h) on the
// record, calling FiveBonus for each five; slower, but every tier's step can
// be followed. It gives the same score, Weight and Tally as RunPass.
void RunPassByCascade(RunState& state, Int32 dx, Int32 dy);

// EvaluateBoard with every pass run by RunPassByCascade.
void EvaluateBoardByCascade(RunState& state);

}  // namespace fiverow
