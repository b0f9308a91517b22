// The cascade of a pass, written once, and the whole story of a pass as it
// tells it. The pass table (eval/PassTable.h), the tier-by-tier pass
// (eval/Sweep.cpp) and fiverow-explain all run this one description.
#pragma once

#include <cstddef>

#include "eval/FiveBonus.h"
#include "eval/PatternRow.h"
#include "eval/TierTables.h"
#include "runtime/Checked.h"

namespace fiverow {

// One pass: Weight is set for the examined code and Tally to 0; then, tier by
// tier in cascade order, each matching row calls FiveBonus (tier 1) or adds
// Weight x the tier's multiplier to Tally, Tally is handed to the cell's
// score, and the pass ends at the first tier that matched.
//
// `pass` is what the pass works on: Weight() and Tally() as variables, the
// step FiveBonus(), AddToScore(amount), and Decided(tier, rows), told the
// deciding tier and its matching rows. `matchingRows(t)` gives the rows of
// tier kCascade[t] that hold; only the tiers the gate lets in are asked.
template <typename Pass, typename MatchingRows>
constexpr void RunCascade(Pass& pass, bool ownCode, const MatchingRows& matchingRows) {
  pass.Weight() = WeightOf(ownCode);
  pass.Tally() = 0;
  for (std::size_t t = 0; t < tiers::kCascade.size(); ++t) {
    const tiers::Tier& tier = tiers::kCascade[t];
    const RowMask rows = matchingRows(t);
    for (int row = MatchCount(rows); row > 0; --row) {
      if (tier.reward == tiers::Reward::FiveBonus) {
        pass.FiveBonus();
      } else {
        pass.Tally() = CheckedAdd(pass.Tally(), CheckedMul(pass.Weight(), tier.multiplier));
      }
    }
    pass.AddToScore(pass.Tally());
    if (pass.Tally() > 0) {  // the gate: the first tier that matches decides the pass
      pass.Decided(tier, rows);
      return;
    }
  }
}

// The whole story of one pass.
struct PassTrace {
  int tier = 0;      // the tier that decided the pass, 1..7; 0 when none matched
  RowMask rows = 0;  // that tier's matching rows: bit i for row i + 1
  Int32 amount = 0;  // added to the cell's score: the five bonuses and the Tally hand-overs
  Int32 tally = 0;   // Tally at the end of the pass
  friend constexpr bool operator==(const PassTrace&, const PassTrace&) = default;
};

// A pass that keeps its story instead of touching a board.
struct TracingPass {
  bool ownCode = false;
  Int32 weight = 0;
  PassTrace trace{};

  constexpr Int32& Weight() { return weight; }
  constexpr Int32& Tally() { return trace.tally; }
  constexpr void FiveBonus() { AddFiveBonus(trace.amount, trace.tally, ownCode, weight); }
  constexpr void AddToScore(Int32 amount) { trace.amount = CheckedAdd(trace.amount, amount); }
  constexpr void Decided(const tiers::Tier& tier, RowMask rows) {
    trace.tier = tier.number;
    trace.rows = rows;
  }
};

template <typename MatchingRows>
constexpr PassTrace TraceCascade(bool ownCode, const MatchingRows& matchingRows) {
  TracingPass pass{ownCode};
  RunCascade(pass, ownCode, matchingRows);
  return pass.trace;
}

// The rows of each tier that hold for six probe values, by the table rule.
constexpr auto RowsHoldingFor(const ProbeStones& stones) {
  return [&stones](std::size_t tier) { return MatchTier(tiers::kCascade[tier].rows, stones); };
}

// The story of a pass for the engine's own code (`ownCode`) or the other code
// over its six probes, c(-2) to c(+4), seen relative to the examined code.
constexpr PassTrace TracePass(bool ownCode, const ProbeStones& stones) {
  return TraceCascade(ownCode, RowsHoldingFor(stones));
}

// Known answers: a five with the candidate first, and a lone stone ahead.
static_assert(TracePass(true, {Stone::Empty, Stone::Empty, Stone::Mine, Stone::Mine, Stone::Mine,
                               Stone::Mine}) == PassTrace{1, 0b1, 60011, 1});
static_assert(TracePass(false, {Stone::Empty, Stone::Empty, Stone::Mine, Stone::Empty, Stone::Empty,
                                Stone::Empty}) == PassTrace{6, 0b11, 24, 24});

}  // namespace fiverow
