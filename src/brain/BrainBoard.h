// The position the brain keeps between commands, and how it becomes the run's
// record for the core to choose a move.
#pragma once

#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "state/RunState.h"

namespace fiverow::brain {

// The brain plays the stones a position file writes 'o' and the opponent
// those written 'x', as fiverow does for a Tah.dat that begins with 'x'.
inline constexpr char kTurnFileForBrain = 'x';
inline constexpr CellCode kBrainCode = OwnCodeOf(kTurnFileForBrain);
inline constexpr CellCode kOpponentCode = CellCodeOf('x');
static_assert(kBrainCode == CellCodeOf('o') && kOpponentCode != kBrainCode);

class BrainBoard {
 public:
  static constexpr bool OnBoard(Int32 x, Int32 y) {
    return x >= 0 && x < kPlaySize && y >= 0 && y < kPlaySize;
  }

  // The cell's code; the cell must be on the board.
  CellCode At(Int32 x, Int32 y) const { return cells_.cell(x, y); }
  // Puts a stone of `code` on an empty cell of the board; false otherwise.
  bool Place(Int32 x, Int32 y, CellCode code);
  // Takes the stone off a cell of the board; false if there is none.
  bool Remove(Int32 x, Int32 y);
  void Clear() { cells_ = Board{}; }

  // Fills the record as reading the position and turn files would: Board,
  // EmptyCount (every empty cell of the play area) and OwnCode.
  void LoadInto(RunState& state) const;

 private:
  Board cells_{};  // margin always empty, as in the record
};

}  // namespace fiverow::brain
