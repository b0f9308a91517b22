#include "eval/Sweep.h"

#include "eval/FiveBonus.h"
#include "eval/TierTables.h"
#include "runtime/Checked.h"

namespace fiverow {

ProbeStones ReadProbes(RunState& state, Int32 dx, Int32 dy) {
  ProbeStones stones{};
  for (std::size_t i = 0; i < kProbeCount; ++i) {
    const Int32 n = kProbeOffsets[i];
    const Int32 px = CheckedAdd(state.x, CheckedMul(n, dx));
    const Int32 py = CheckedAdd(state.y, CheckedMul(n, dy));
    stones[i] = StoneOf(CheckedCell(state.board, px, py), state.examinedCode);
  }
  return stones;
}

namespace {

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

void RunPass(RunState& state, Int32 dx, Int32 dy) {
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

void EvaluateBoard(RunState& state) {
  for (state.y = 0; state.y < kPlaySize; ++state.y) {
    for (state.x = 0; state.x < kPlaySize; ++state.x) {
      state.scoreGrid.cell(state.x, state.y) = 0;
      if (state.board.cell(state.x, state.y) != kEmpty) continue;
      for (Int32 dx = -1; dx <= 1; ++dx) {
        for (Int32 dy = -1; dy <= 1; ++dy) {
          for (state.examinedCode = 1; state.examinedCode <= 2; ++state.examinedCode) {
            if (dx != 0 || dy != 0) RunPass(state, dx, dy);
          }
        }
      }
    }
  }
}

}  // namespace fiverow
