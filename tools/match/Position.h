// The referee's own board: which side's stone, if any, lies on each cell, and
// the rules it judges by (an empty cell to play, five or more in a row wins).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/UTypes.h"
#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "match/Players.h"

namespace fiverow::match {

// The side marker that makes the engine play `side`'s stones. The engine maps
// the first character of Tah.dat to its own stone code differently from the
// position file: an "o" there means "play the stones that are not written o".
constexpr char TurnMarkerFor(Side side) {
  return OwnCodeOf('o') == CellCodeOf(StoneChar(side)) ? 'o' : 'x';
}
static_assert(OwnCodeOf(TurnMarkerFor(Side::X)) == CellCodeOf('x'));
static_assert(OwnCodeOf(TurnMarkerFor(Side::O)) == CellCodeOf('o'));

inline constexpr int kWinLength = 5;

// What a line must be to win: five or more in a row (freestyle), or exactly
// five, where a longer line (an overline) does not win (standard).
enum class Rule : std::uint8_t { Freestyle, Standard };

class Position {
 public:
  Position() { cells_.fill('-'); }

  static bool OnBoard(Move cell) {
    return cell.x >= 0 && cell.x < kPlaySize && cell.y >= 0 && cell.y < kPlaySize;
  }
  // '-' for an empty cell, else the stone's character.
  char At(Move cell) const { return cells_[Index(cell)]; }
  bool IsEmpty(Move cell) const { return At(cell) == '-'; }
  void Place(Move cell, Side side);

  int StoneCount() const { return stones_; }
  bool IsFull() const { return stones_ == kPlayCells; }

  // The lengths of the unbroken lines of the stone on `cell` through it, on
  // each of the four axes, and the longest of them.
  std::array<int, 4> LinesThrough(Move cell) const;
  int LongestLineThrough(Move cell) const;
  bool CompletesFive(Move cell) const { return LongestLineThrough(cell) >= kWinLength; }
  // Whether the stone on `cell` wins by `rule`.
  bool Wins(Move cell, Rule rule) const;

  // Plocha.dat: 20 lines of 20 characters, "x", "o" or "-", each ended by LF.
  std::string PositionFileText() const;

 private:
  static std::size_t Index(Move cell) {
    return static_cast<std::size_t>(cell.y * kPlaySize + cell.x);
  }
  std::array<char, kPlayCells> cells_{};
  int stones_ = 0;
};

// x moves first, so after an even number of stones it is x's turn.
inline Side SideToMove(const Position& position) {
  return position.StoneCount() % 2 == 0 ? Side::X : Side::O;
}

}  // namespace fiverow::match
