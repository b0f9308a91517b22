// Reads Plocha.dat into the play area of the board and counts its empty cells.
#pragma once

#include "state/RunState.h"

namespace fiverow {

// The cell code a position-file character stands for: '-' empty, 'o' code 2,
// any other byte code 1. Bytes are compared exactly, with no case folding.
constexpr CellCode CellCodeOf(char c) {
  if (c == '-') return kEmpty;
  if (c == 'o') return kCodeO;
  return kCodeOther;
}

// Fills board[0..19, 0..19] and emptyCount from the first 20 lines.
void ReadPosition(RunState& state);

}  // namespace fiverow
