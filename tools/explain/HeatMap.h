// Scores on the board: every empty cell's score, the stones as "x" (code 1)
// and "o" (code 2), and the chosen move marked.
#pragma once

#include <string>

#include "state/RunState.h"

namespace fiverow::explain {

// The highest score on the board, 0 when none is above it.
Int32 HighestScore(const RunState& state);

// 0 for a score of 0, else 1..6 on a logarithmic scale up to `highest`.
int HeatLevel(Int32 score, Int32 highest);

// The stone character shown for a code.
constexpr char StoneCharOf(CellCode code) {
  return code == kCodeO ? 'o' : code == kCodeOther ? 'x' : '.';
}

// Aligned numbers, "." for a score of 0, the chosen move preceded by ">"; with colour, the numbers
// are coloured by heat and the chosen move is shown in reverse video.
std::string RenderHeatMap(const RunState& state, Move chosen, bool colour);

}  // namespace fiverow::explain
