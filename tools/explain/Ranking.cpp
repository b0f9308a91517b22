#include "explain/Ranking.h"

#include <algorithm>

namespace fiverow::explain {

std::vector<ScoredCell> TopCells(const RunState& state, std::size_t count) {
  std::vector<ScoredCell> cells;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      if (state.board.cell(x, y) == kEmpty) cells.push_back({{x, y}, state.scoreGrid.cell(x, y)});
    }
  }
  // Stable, so equal scores keep their row-major order.
  std::stable_sort(cells.begin(), cells.end(),
                   [](const ScoredCell& a, const ScoredCell& b) { return a.score > b.score; });
  if (cells.size() > count) cells.resize(count);
  return cells;
}

}  // namespace fiverow::explain
