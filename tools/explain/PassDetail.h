// What each of a cell's 16 passes added to its score, worked out from the same
// tier tables and probe reading the engine scores with.
#pragma once

#include <array>

#include "engine/RunState.h"
#include "eval/PatternRow.h"

namespace fiverow::explain {

struct PassDetail {
  Int32 dx = 0;
  Int32 dy = 0;
  CellCode examinedCode = kEmpty;
  bool own = false;      // examinedCode is the engine's own code
  ProbeStones probes{};  // c(-2), c(-1), c(+1), c(+2), c(+3), c(+4)
  int tier = 0;          // the tier that decided the pass, 0 if none
  RowMask rows = 0;      // its matching rows: bit i for row i + 1
  Int32 amount = 0;      // what the pass added to the score
};

inline constexpr std::size_t kPassCount = 16;

struct CellExplanation {
  std::array<PassDetail, kPassCount> passes{};  // in the engine's pass order
  Int32 total = 0;
};

// Explains the empty cell (x, y) of the board read into `state` (board and
// ownCode set). The record's x, y and examinedCode are used as scratch. An
// occupied cell gets no passes and a total of 0.
CellExplanation ExplainCell(RunState& state, Move cell);

}  // namespace fiverow::explain
