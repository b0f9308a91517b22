// Core types and constants shared by every step of a run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace fiverow {

using Int32 = std::int32_t;

// The play area is 20 x 20; a 5-cell margin on every side keeps every probe
// (at most 4 steps from a play-area cell) inside the grid, so probing needs no
// bounds logic.
inline constexpr Int32 kPlaySize = 20;
inline constexpr Int32 kMargin = 5;
inline constexpr Int32 kGridMin = -kMargin;                  // -5
inline constexpr Int32 kGridMax = kPlaySize - 1 + kMargin;   // 24
inline constexpr Int32 kGridSpan = kGridMax - kGridMin + 1;  // 30
inline constexpr Int32 kPlayCells = kPlaySize * kPlaySize;   // 400

// What a board cell holds. Codes 1 and 2 are symmetric for the evaluation;
// only OwnCode tells them apart.
using CellCode = Int32;
inline constexpr CellCode kEmpty = 0;
inline constexpr CellCode kCodeOther = 1;  // any character but '-' and 'o'
inline constexpr CellCode kCodeO = 2;      // 'o'

// The code of the other side's stones: 2 for 1 and 1 for 2.
constexpr CellCode OtherCode(CellCode code) { return 3 - code; }

// The cell the engine plays, in play-area coordinates.
struct Move {
  Int32 x = 0;
  Int32 y = 0;
  friend constexpr bool operator==(const Move&, const Move&) = default;
};

inline constexpr Move kOpeningMove{10, 10};

// A square grid indexed [-5..24, -5..24], x first. `cell` does not check its
// indices: it is for loops whose counters stay in the grid by construction.
// Wherever an index is computed, CheckedCell (runtime/Checked.h) checks it.
template <typename T>
struct Grid {
  std::array<T, kGridSpan * kGridSpan> cells{};

  static constexpr std::size_t Offset(Int32 x, Int32 y) {
    return static_cast<std::size_t>((x - kGridMin) * kGridSpan + (y - kGridMin));
  }
  constexpr T& cell(Int32 x, Int32 y) { return cells[Offset(x, y)]; }
  constexpr const T& cell(Int32 x, Int32 y) const { return cells[Offset(x, y)]; }
};

using Board = Grid<CellCode>;
using ScoreGrid = Grid<Int32>;

}  // namespace fiverow
