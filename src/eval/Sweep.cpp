#include "eval/Sweep.h"

#include <array>
#include <utility>

#include "eval/Cascade.h"
#include "eval/FiveBonus.h"
#include "eval/PassTable.h"
#include "eval/TierTables.h"
#include "runtime/Checked.h"

namespace fiverow {

namespace {

// Reads the probe cells of the cell (x, y) along (dx, dy). Inlined into the
// sweep, where x and y are its loop counters and the direction a constant.
inline ProbeCells ProbeCellsAt(const Board& board, Int32 x, Int32 y, Int32 dx, Int32 dy) {
  ProbeCells cells{};
  for (std::size_t i = 0; i < kProbeCount; ++i) {
    const Int32 n = kProbeOffsets[i];
    const Int32 px = CheckedAdd(x, CheckedMul(n, dx));
    const Int32 py = CheckedAdd(y, CheckedMul(n, dy));
    cells[i] = CheckedCell(board, px, py);
  }
  return cells;
}

// One pass for the record's examined code over probe cells already read (as
// their base-3 number): looks its case up in the pass table and adds the
// outcome to the cell's score. Weight and Tally are left as the cascade
// leaves them.
inline void AddPassOutcome(RunState& state, Int32 cellsNumber, Int32& score) {
  const bool ownCode = state.examinedCode == state.ownCode;
  state.weight = WeightOf(ownCode);
  const Int32 passCase = PassCaseOfCells(ownCode, state.examinedCode, cellsNumber);
  const PassOutcome& outcome = kPassTable[static_cast<std::size_t>(passCase)];
  state.tally = outcome.tally;
  score = CheckedAdd(score, outcome.amount);
}

// The pass as the tier-by-tier path runs it: on the record's Weight and
// Tally, with the record's FiveBonus, handing Tally to the cell's score.
struct RecordPass {
  RunState& state;
  Int32& score;

  Int32& Weight() { return state.weight; }
  Int32& Tally() { return state.tally; }
  void FiveBonus() { fiverow::FiveBonus(state); }
  void AddToScore(Int32 amount) { score = CheckedAdd(score, amount); }
  void Decided(const tiers::Tier&, RowMask) {}
};

}  // namespace

ProbeStones ReadProbes(const RunState& state, Int32 dx, Int32 dy) {
  return StonesOf(ProbeCellsAt(state.board, state.x, state.y, dx, dy), state.examinedCode);
}

void RunPass(RunState& state, Int32 dx, Int32 dy) {
  AddPassOutcome(state, CellsNumberOf(ProbeCellsAt(state.board, state.x, state.y, dx, dy)),
                 state.scoreGrid.cell(state.x, state.y));
}

void RunPassByCascade(RunState& state, Int32 dx, Int32 dy) {
  // Reading has no effect, so all six probes are read once for every tier.
  const ProbeStones stones = ReadProbes(state, dx, dy);
  RecordPass pass{state, state.scoreGrid.cell(state.x, state.y)};
  RunCascade(pass, state.examinedCode == state.ownCode, RowsHoldingFor(stones));
}

namespace {

// The two passes of one direction. The passes of both codes look at the same
// cells, so these are read once for the two. The direction is a template
// argument so that the compiler sees it as a constant.
template <Int32 kDx, Int32 kDy>
inline void ScoreDirection(RunState& state, Int32 x, Int32 y) {
  const Int32 cellsNumber = CellsNumberOf(ProbeCellsAt(state.board, x, y, kDx, kDy));
  Int32& score = state.scoreGrid.cell(x, y);
  for (state.examinedCode = 1; state.examinedCode <= 2; ++state.examinedCode) {
    AddPassOutcome(state, cellsNumber, score);
  }
}

template <std::size_t... kIndex>
inline void ScoreAllDirections(RunState& state, Int32 x, Int32 y, std::index_sequence<kIndex...>) {
  (ScoreDirection<kDirections[kIndex].dx, kDirections[kIndex].dy>(state, x, y), ...);
}

}  // namespace

void EvaluateBoard(RunState& state) {
  // The cell's coordinates are kept in locals as well as in the record: the
  // compiler then knows their range, and the probe checks cost next to
  // nothing. They are still made.
  for (Int32 y = 0; y < kPlaySize; ++y) {
    state.y = y;
    for (Int32 x = 0; x < kPlaySize; ++x) {
      state.x = x;
      state.scoreGrid.cell(x, y) = 0;
      if (state.board.cell(x, y) != kEmpty) continue;
      ScoreAllDirections(state, x, y, std::make_index_sequence<kDirections.size()>{});
    }
  }
  state.x = kPlaySize;
  state.y = kPlaySize;
}

void EvaluateBoardByCascade(RunState& state) {
  for (state.y = 0; state.y < kPlaySize; ++state.y) {
    for (state.x = 0; state.x < kPlaySize; ++state.x) {
      state.scoreGrid.cell(state.x, state.y) = 0;
      if (state.board.cell(state.x, state.y) != kEmpty) continue;
      for (const Direction& direction : kDirections) {
        for (state.examinedCode = 1; state.examinedCode <= 2; ++state.examinedCode) {
          RunPassByCascade(state, direction.dx, direction.dy);
        }
      }
    }
  }
}

}  // namespace fiverow
