// Chooses the cell to play from the scores.
#pragma once

#include "state/RunState.h"

namespace fiverow {

// The first empty cell, in row-major order, among those with the highest
// score; (10, 10) on an empty board. Raises EBoardFull when no cell is empty.
Move SelectMove(RunState& state);

}  // namespace fiverow
