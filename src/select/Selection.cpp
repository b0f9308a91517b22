#include "select/Selection.h"

#include "runtime/Checked.h"

namespace fiverow {

Move SelectMove(RunState& state) {
  // Only a strictly higher score replaces the best, so among equal scores the
  // cell met first in the scan wins. Occupied cells are never candidates.
  bool found = false;
  Move best{0, 0};
  for (state.y = 0; state.y < kPlaySize; ++state.y) {
    for (state.x = 0; state.x < kPlaySize; ++state.x) {
      if (state.board.cell(state.x, state.y) != kEmpty) continue;
      if (!found ||
          CheckedCell(state.scoreGrid, best.x, best.y) < state.scoreGrid.cell(state.x, state.y)) {
        best = {state.x, state.y};
        found = true;
      }
    }
  }
  if (!found) Raise(FailureKind::EBoardFull, 0, SourceSite::current());
  if (state.emptyCount == kPlayCells) return kOpeningMove;
  return best;
}

}  // namespace fiverow
