// The --cell table: a cell's 16 passes in the sweep's order, each with its
// direction, examined side and the line as the pass sees it, and the pass's
// story as the cascade tells it (eval/Cascade.h), then their total, which is
// the cell's score.
#pragma once

#include <string>
#include <vector>

#include "eval/Cascade.h"
#include "state/RunState.h"

namespace fiverow::explain {

struct ListedPass {
  Direction direction;
  CellCode examinedCode = kEmpty;
  bool own = false;      // examinedCode is the engine's own code
  ProbeStones probes{};  // c(-2), c(-1), c(+1), c(+2), c(+3), c(+4)
  PassTrace trace;
};

// The passes of the cell on the board read into `state` (board and ownCode
// set); none for an occupied cell. The record's x, y and examinedCode are
// used as scratch.
std::vector<ListedPass> ListPasses(RunState& state, Move cell);

// The sum of the passes' amounts: the cell's score.
Int32 PassTotal(const std::vector<ListedPass>& passes);

// The columns of the table: the line as the pass sees it ("x . * . o . ."),
// the deciding tier ("5 three", "none") and its matching rows ("3,4", "-").
std::string LineText(const ListedPass& pass);
std::string TierText(int tier);
std::string RowsText(RowMask rows);

// The table, headed by the cell.
std::string PassListing(RunState& state, Move cell);

}  // namespace fiverow::explain
