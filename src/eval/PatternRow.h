// The vocabulary of the tier tables and the one matcher that reads them.
//
// A pass looks at six probes along its direction, c(-2), c(-1), c(+1), c(+2),
// c(+3) and c(+4), each seen relative to the examined code. A row states one
// condition per probe; a tier is an ordered list of rows.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/UTypes.h"

namespace fiverow {

// What a probe holds, relative to the examined code.
enum class Stone : std::uint8_t { Empty, Mine, Theirs };

// Computed without branches: the sweep calls this for every probe, and on a
// mixed board a branch on the cell's content is hard to predict.
constexpr Stone StoneOf(CellCode cell, CellCode examinedCode) {
  static_assert(static_cast<int>(Stone::Mine) == 1 && static_cast<int>(Stone::Theirs) == 2);
  const int occupied = cell != kEmpty ? 1 : 0;
  const int theirs = cell != examinedCode ? 1 : 0;
  return static_cast<Stone>(occupied + (occupied & theirs));
}

// The probe words of the tables.
enum class Word : std::uint8_t {
  P,         // holds the examined code
  Empty,     // holds nothing
  NotP,      // empty or the other code
  Occupied,  // either code
  Any,       // not tested
};

constexpr bool Holds(Word word, Stone stone) {
  switch (word) {
    case Word::P: return stone == Stone::Mine;
    case Word::Empty: return stone == Stone::Empty;
    case Word::NotP: return stone != Stone::Mine;
    case Word::Occupied: return stone != Stone::Empty;
    case Word::Any: return true;
  }
  return false;
}

enum class OnMatch : std::uint8_t { NextRow, LeaveTier };

// Probe offsets in table column order.
inline constexpr std::array<Int32, 6> kProbeOffsets{-2, -1, 1, 2, 3, 4};
inline constexpr std::size_t kProbeCount = kProbeOffsets.size();

using ProbeStones = std::array<Stone, kProbeCount>;

// The probes' cell codes as the board holds them, before they are seen
// relative to an examined code.
using ProbeCells = std::array<CellCode, kProbeCount>;

constexpr ProbeStones StonesOf(const ProbeCells& cells, CellCode examinedCode) {
  ProbeStones stones{};
  for (std::size_t i = 0; i < kProbeCount; ++i) stones[i] = StoneOf(cells[i], examinedCode);
  return stones;
}

struct PatternRow {
  std::array<Word, kProbeCount> probes;
  OnMatch onMatch;

  constexpr bool HoldsFor(const ProbeStones& stones) const {
    for (std::size_t i = 0; i < kProbeCount; ++i) {
      if (!Holds(probes[i], stones[i])) return false;
    }
    return true;
  }
};

// Which rows of a tier matched: bit i set for row i + 1.
using RowMask = std::uint32_t;

// The table rule: rows are tried in order; a row that holds matches, and a
// matched `LeaveTier` row ends the tier.
constexpr RowMask MatchTier(std::span<const PatternRow> rows, const ProbeStones& stones) {
  RowMask matched = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].HoldsFor(stones)) continue;
    matched |= RowMask{1} << i;
    if (rows[i].onMatch == OnMatch::LeaveTier) break;
  }
  return matched;
}

constexpr int MatchCount(RowMask mask) {
  int count = 0;
  for (; mask != 0; mask &= mask - 1) ++count;
  return count;
}

}  // namespace fiverow
