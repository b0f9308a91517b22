// The outcome of every possible pass, computed at compile time from the tier
// tables.
//
// A pass depends only on whether its examined code is the engine's own and on
// what each of its six probes holds relative to that code (empty, the examined
// code, the other code): 2 x 3^6 = 1458 cases. Each case's outcome is found by
// running the cascade (eval/Cascade.h) over the tier tables, so the tables and
// the cascade stay the one description of the scoring; a pass at run time
// only forms its case and looks the outcome up.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>

#include "eval/Cascade.h"
#include "eval/PatternRow.h"
#include "eval/TierTables.h"
#include "runtime/Checked.h"

namespace fiverow {

// What one pass leaves behind.
struct PassOutcome {
  Int32 amount;  // added to the cell's score: FiveBonus and every Tally hand-over
  Int32 tally;   // Tally at the end of the pass
  friend constexpr bool operator==(const PassOutcome&, const PassOutcome&) = default;
};

inline constexpr Int32 kStoneKinds = 3;    // empty, the examined code, the other code
inline constexpr Int32 kProbeCases = [] {  // kStoneKinds ^ kProbeCount = 729
  Int32 cases = 1;
  for (std::size_t i = 0; i < kProbeCount; ++i) cases = CheckedMul(cases, kStoneKinds);
  return cases;
}();
inline constexpr Int32 kPassCases = 2 * kProbeCases;

// The case of a pass: the own flag is the leading base-3 digit (0 or 1), then
// one digit per probe in table column order, c(-2) first, with the digit of
// Stone (Empty 0, Mine 1, Theirs 2). Every step is checked.
constexpr Int32 PassCaseOf(bool ownCode, const ProbeStones& stones) {
  Int32 index = ownCode ? 1 : 0;
  for (const Stone stone : stones) {
    index = CheckedAdd(CheckedMul(index, kStoneKinds), static_cast<Int32>(stone));
  }
  return CheckIndex(index, 0, kPassCases - 1);
}

// The same case formed from the probes' cell codes, for the sweep, which reads
// the cells once for the passes of both codes. The cells make one base-3
// number, c(-2) the leading digit and each cell code (0, 1 or 2, checked) a
// digit; a compile-time table turns that number and the examined code into
// the probes' part of the case.
constexpr Int32 CellsNumberOf(const ProbeCells& cells) {
  Int32 number = 0;
  for (const CellCode cell : cells) {
    number = CheckedAdd(CheckedMul(number, kStoneKinds), CheckIndex(cell, kEmpty, kCodeO));
  }
  return number;
}

constexpr ProbeCells CellsOfNumber(Int32 number) {
  ProbeCells cells{};
  for (std::size_t i = kProbeCount; i-- > 0;) {
    cells[i] = number % kStoneKinds;
    number /= kStoneKinds;
  }
  return cells;
}

// [examined code - 1][cells number] -> the probes' part of the case, that is
// the case with the own flag 0; an own pass adds kProbeCases.
using ProbeCaseTable = std::array<std::array<std::int16_t, kProbeCases>, 2>;

constexpr ProbeCaseTable BuildProbeCaseTable() {
  ProbeCaseTable table{};
  for (CellCode examinedCode = 1; examinedCode <= 2; ++examinedCode) {
    for (Int32 number = 0; number < kProbeCases; ++number) {
      const Int32 probeCase = PassCaseOf(false, StonesOf(CellsOfNumber(number), examinedCode));
      table[static_cast<std::size_t>(examinedCode - 1)][static_cast<std::size_t>(number)] =
          static_cast<std::int16_t>(probeCase);
    }
  }
  return table;
}

inline constexpr ProbeCaseTable kProbeCaseOfCells = BuildProbeCaseTable();

constexpr Int32 PassCaseOfCells(bool ownCode, CellCode examinedCode, Int32 cellsNumber) {
  const auto& byNumber =
      kProbeCaseOfCells[static_cast<std::size_t>(CheckIndex(CheckedSub(examinedCode, 1), 0, 1))];
  const Int32 probeCase =
      byNumber[static_cast<std::size_t>(CheckIndex(cellsNumber, 0, kProbeCases - 1))];
  return CheckIndex(CheckedAdd(ownCode ? kProbeCases : 0, probeCase), 0, kPassCases - 1);
}

constexpr bool OwnCodeOfCase(Int32 passCase) { return passCase >= kProbeCases; }

constexpr ProbeStones StonesOfCase(Int32 passCase) {
  ProbeStones stones{};
  Int32 rest = passCase % kProbeCases;
  for (std::size_t i = kProbeCount; i-- > 0;) {
    stones[i] = static_cast<Stone>(rest % kStoneKinds);
    rest /= kStoneKinds;
  }
  return stones;
}

// The rows of one tier that hold, for every probe case. Matching does not
// depend on the own flag. Each tier is a constant evaluation of its own, which
// keeps each within the compilers' step limits.
using TierRowsByCase = std::array<RowMask, kProbeCases>;

constexpr TierRowsByCase MatchTierOnEveryCase(std::span<const PatternRow> rows) {
  TierRowsByCase matches{};
  for (Int32 probeCase = 0; probeCase < kProbeCases; ++probeCase) {
    matches[static_cast<std::size_t>(probeCase)] = MatchTier(rows, StonesOfCase(probeCase));
  }
  return matches;
}

template <std::size_t kTier>
inline constexpr TierRowsByCase kTierRows = MatchTierOnEveryCase(tiers::kCascade[kTier].rows);

constexpr PassOutcome OutcomeOf(const PassTrace& trace) { return {trace.amount, trace.tally}; }

// Every case's outcome, by the cascade over its tiers' matching rows.
template <std::size_t... kTier>
constexpr std::array<PassOutcome, kPassCases> BuildPassTable(std::index_sequence<kTier...>) {
  std::array<PassOutcome, kPassCases> table{};
  for (Int32 passCase = 0; passCase < kPassCases; ++passCase) {
    const auto probeCase = static_cast<std::size_t>(passCase % kProbeCases);
    const std::array<RowMask, sizeof...(kTier)> rows{kTierRows<kTier>[probeCase]...};
    table[static_cast<std::size_t>(passCase)] = OutcomeOf(
        TraceCascade(OwnCodeOfCase(passCase), [&rows](std::size_t tier) { return rows[tier]; }));
  }
  return table;
}

inline constexpr std::array<PassOutcome, kPassCases> kPassTable =
    BuildPassTable(std::make_index_sequence<tiers::kCascade.size()>{});

// Guards on the encoding and the table: a lone own five with the candidate
// first, and a pass over six empty probes.
static_assert(PassCaseOf(true, ProbeStones{}) == kProbeCases);
static_assert(StonesOfCase(PassCaseOf(false, {Stone::Theirs, Stone::Empty, Stone::Mine, Stone::Mine,
                                              Stone::Theirs, Stone::Empty})) ==
              ProbeStones{Stone::Theirs, Stone::Empty, Stone::Mine, Stone::Mine, Stone::Theirs,
                          Stone::Empty});
static_assert(
    kPassTable[static_cast<std::size_t>(PassCaseOf(
        true, {Stone::Empty, Stone::Empty, Stone::Mine, Stone::Mine, Stone::Mine, Stone::Mine}))] ==
    PassOutcome{60011, 1});
static_assert(kPassTable[kProbeCases] == PassOutcome{0, 0});

}  // namespace fiverow
