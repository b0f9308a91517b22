#include "eval/FiveBonus.h"

namespace fiverow {

void FiveBonus(RunState& state) {
  Int32& score = CheckedCell(state.scoreGrid, state.x, state.y);
  score = CheckedAdd(score, FiveBonusAmount(state.examinedCode == state.ownCode, state.weight));
  state.tally = CheckedAdd(state.tally, 1);
}

}  // namespace fiverow
