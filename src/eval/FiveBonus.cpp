#include "eval/FiveBonus.h"

#include "runtime/Checked.h"

namespace fiverow {

void FiveBonus(RunState& state) {
  Int32& score = CheckedCell(state.scoreGrid, state.x, state.y);
  if (state.examinedCode == state.ownCode) {
    score = CheckedAdd(score, CheckedAdd(state.weight, kOwnFiveBonus));
  } else {
    score = CheckedAdd(score, kOtherFiveBonus);
  }
  state.tally = CheckedAdd(state.tally, 1);
}

}  // namespace fiverow
