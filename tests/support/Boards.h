// Positions for tests, written the way Plocha.dat writes them: 20 rows of 20
// cell characters, '-' empty, 'o' code 2, any other character code 1.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "state/RunState.h"

namespace fiverow::testing {

using Rows = std::array<std::string, kPlaySize>;

inline Rows EmptyRows() {
  Rows rows;
  rows.fill(std::string(kPlaySize, '-'));
  return rows;
}

// Puts `c` at column x of row y.
inline void Put(Rows& rows, Int32 x, Int32 y, char c) {
  rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
}

// The position file text for the rows, each followed by `lineEnd`.
inline std::string PositionText(const Rows& rows, std::string_view lineEnd = "\n") {
  std::string text;
  for (const std::string& row : rows) text.append(row).append(lineEnd);
  return text;
}

// The board the rows stand for, counted independently of the reader.
inline Board BoardOf(const Rows& rows) {
  Board board;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      board.cell(x, y) = c == '-' ? 0 : c == 'o' ? 2 : 1;
    }
  }
  return board;
}

// A run state holding the position and side, as after reading both files.
inline RunState StateOf(const Rows& rows, CellCode ownCode) {
  RunState state;
  state.board = BoardOf(rows);
  state.ownCode = ownCode;
  for (const std::string& row : rows) {
    for (char c : row) state.emptyCount += c == '-' ? 1 : 0;
  }
  return state;
}

}  // namespace fiverow::testing
