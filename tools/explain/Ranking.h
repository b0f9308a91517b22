// The empty cells in the order fiverow prefers them.
#pragma once

#include <vector>

#include "state/RunState.h"

namespace fiverow::explain {

struct ScoredCell {
  Move cell;
  Int32 score = 0;
};

// How many of the best cells are listed.
inline constexpr std::size_t kBestCellsShown = 10;

// The best `count` empty cells: highest score first, equal scores in
// row-major order, the order in which the selection scan meets them.
std::vector<ScoredCell> TopCells(const RunState& state, std::size_t count);

}  // namespace fiverow::explain
