#include "eval/FiveBonus.h"

namespace fiverow {

void FiveBonus(RunState& state) {
  AddFiveBonus(CheckedCell(state.scoreGrid, state.x, state.y), state.tally,
               state.examinedCode == state.ownCode, state.weight);
}

}  // namespace fiverow
