#include "eval/Sweep.h"

#include <array>
#include <utility>

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
  state.weight = ownCode ? kOwnWeight : kOtherWeight;
  const Int32 passCase = PassCaseOfCells(ownCode, state.examinedCode, cellsNumber);
  const PassOutcome& outcome = kPassTable[static_cast<std::size_t>(passCase)];
  state.tally = outcome.tally;
  score = CheckedAdd(score, outcome.amount);
}

// Applies one tier's matching rows to Tally (or, in tier 1, to FiveBonus).
void ApplyTier(RunState& state, const tiers::Tier& tier, const ProbeStones& stones) {
  const int matches = MatchCount(MatchTier(tier.rows, stones));
  for (int i = 0; i < matches; ++i) {
    if (tier.reward == tiers::Reward::FiveBonus) {
      FiveBonus(state);
    } else {
      state.tally = CheckedAdd(state.tally, CheckedMul(state.weight, tier.multiplier));
    }
  }
}

}  // namespace

ProbeStones ReadProbes(const RunState& state, Int32 dx, Int32 dy) {
  return StonesOf(ProbeCellsAt(state.board, state.x, state.y, dx, dy), state.examinedCode);
}

void RunPass(RunState& state, Int32 dx, Int32 dy) {
  AddPassOutcome(state, CellsNumberOf(ProbeCellsAt(state.board, state.x, state.y, dx, dy)),
                 state.scoreGrid.cell(state.x, state.y));
}

void RunPassByCascade(RunState& state, Int32 dx, Int32 dy) {
  state.weight = state.examinedCode == state.ownCode ? kOwnWeight : kOtherWeight;
  state.tally = 0;
  // Reading has no effect, so all six probes are read once for every tier.
  const ProbeStones stones = ReadProbes(state, dx, dy);
  Int32& score = state.scoreGrid.cell(state.x, state.y);
  for (const tiers::Tier& tier : tiers::kCascade) {
    ApplyTier(state, tier, stones);
    score = CheckedAdd(score, state.tally);
    if (state.tally > 0) return;  // the first tier that matches decides the pass
  }
}

namespace {

struct Direction {
  Int32 dx;
  Int32 dy;
};

// The eight directions in the sweep's order: dx from -1 to 1, then dy.
inline constexpr std::array<Direction, 8> kDirections{{
    {-1, -1},
    {-1, 0},
    {-1, 1},
    {0, -1},
    {0, 1},
    {1, -1},
    {1, 0},
    {1, 1},
}};

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
      for (Int32 dx = -1; dx <= 1; ++dx) {
        for (Int32 dy = -1; dy <= 1; ++dy) {
          for (state.examinedCode = 1; state.examinedCode <= 2; ++state.examinedCode) {
            if (dx != 0 || dy != 0) RunPassByCascade(state, dx, dy);
          }
        }
      }
    }
  }
}

}  // namespace fiverow
