// The referee's board: a square, 20 cells a side unless a match asks for
// another size, and which side's stone, if any, lies on each cell.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/UTypes.h"
#include "game/Sides.h"

namespace fiverow::match {

inline constexpr int kWinLength = 5;
// fiverow's board, the size file engines play on.
inline constexpr int kStandardBoardSize = kPlaySize;
// The sizes a match may be played on (pipe engines and people).
inline constexpr int kSmallestBoardSize = 15;
inline constexpr int kLargestBoardSize = 22;
// The four directions of a line: across, down and the two diagonals.
inline constexpr std::array<Move, 4> kAxes{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};

class Position {
 public:
  explicit Position(int size = kStandardBoardSize)
      : size_(size), cells_(static_cast<std::size_t>(size * size), '-') {}

  int size() const { return size_; }
  bool OnBoard(Move cell) const {
    return cell.x >= 0 && cell.x < size_ && cell.y >= 0 && cell.y < size_;
  }
  // '-' for an empty cell, else the stone's character; the cell must be on
  // the board.
  char At(Move cell) const { return cells_[Index(cell)]; }
  bool IsEmpty(Move cell) const { return At(cell) == '-'; }
  void Place(Move cell, Side side);
  void Remove(Move cell);

  int StoneCount() const { return stones_; }
  bool IsFull() const { return stones_ == size_ * size_; }

  // The lengths of the unbroken lines of the stone on `cell` through it, on
  // each of the four axes, and the longest of them.
  std::array<int, 4> LinesThrough(Move cell) const;
  int LongestLineThrough(Move cell) const;
  bool CompletesFive(Move cell) const { return LongestLineThrough(cell) >= kWinLength; }

 private:
  std::size_t Index(Move cell) const { return static_cast<std::size_t>(cell.y * size_ + cell.x); }
  int size_;
  std::vector<char> cells_;
  int stones_ = 0;
};

// x moves first, so after an even number of stones it is x's turn.
inline Side SideToMove(const Position& position) {
  return position.StoneCount() % 2 == 0 ? Side::X : Side::O;
}

// "0..19" for a board of 20.
std::string CoordinateRange(const Position& position);

}  // namespace fiverow::match
