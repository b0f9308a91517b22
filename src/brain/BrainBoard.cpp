#include "brain/BrainBoard.h"

namespace fiverow::brain {

bool BrainBoard::Place(Int32 x, Int32 y, CellCode code) {
  if (!OnBoard(x, y) || cells_.cell(x, y) != kEmpty) return false;
  cells_.cell(x, y) = code;
  return true;
}

bool BrainBoard::Remove(Int32 x, Int32 y) {
  if (!OnBoard(x, y) || cells_.cell(x, y) == kEmpty) return false;
  cells_.cell(x, y) = kEmpty;
  return true;
}

void BrainBoard::LoadInto(RunState& state) const {
  state.board = cells_;
  state.emptyCount = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      if (cells_.cell(x, y) == kEmpty) ++state.emptyCount;
    }
  }
  state.ownCode = kBrainCode;
}

}  // namespace fiverow::brain
