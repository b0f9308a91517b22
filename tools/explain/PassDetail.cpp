#include "explain/PassDetail.h"

#include "eval/FiveBonus.h"
#include "eval/Sweep.h"
#include "eval/TierTables.h"
#include "runtime/Checked.h"

namespace fiverow::explain {

namespace {

// What a tier adds when `matches` of its rows hold: the five bonus goes to the
// score directly and each call also counts 1 in Tally, which the pass then
// adds as well; the other tiers add Weight times their multiplier per row.
Int32 TierAmount(const tiers::Tier& tier, int matches, bool own, Int32 weight) {
  Int32 perRow = 0;
  if (tier.reward == tiers::Reward::FiveBonus) {
    perRow = CheckedAdd(FiveBonusAmount(own, weight), 1);
  } else {
    perRow = CheckedMul(weight, tier.multiplier);
  }
  return CheckedMul(perRow, matches);
}

}  // namespace

CellExplanation ExplainCell(RunState& state, Move cell) {
  CellExplanation explanation;
  if (state.board.cell(cell.x, cell.y) != kEmpty) return explanation;
  state.x = cell.x;
  state.y = cell.y;
  std::size_t next = 0;
  for (Int32 dx = -1; dx <= 1; ++dx) {
    for (Int32 dy = -1; dy <= 1; ++dy) {
      if (dx == 0 && dy == 0) continue;
      for (CellCode code = 1; code <= 2; ++code) {
        PassDetail& pass = explanation.passes[next++];
        pass.dx = dx;
        pass.dy = dy;
        pass.examinedCode = code;
        pass.own = code == state.ownCode;
        state.examinedCode = code;
        pass.probes = ReadProbes(state, dx, dy);
        const Int32 weight = pass.own ? kOwnWeight : kOtherWeight;
        for (const tiers::Tier& tier : tiers::kCascade) {
          const RowMask rows = MatchTier(tier.rows, pass.probes);
          if (rows == 0) continue;
          pass.tier = tier.number;
          pass.rows = rows;
          pass.amount = TierAmount(tier, MatchCount(rows), pass.own, weight);
          break;  // the first tier that matches decides the pass
        }
        explanation.total = CheckedAdd(explanation.total, pass.amount);
      }
    }
  }
  return explanation;
}

}  // namespace fiverow::explain
