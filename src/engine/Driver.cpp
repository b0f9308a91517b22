#include "engine/Driver.h"

#include "eval/Sweep.h"
#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "select/Selection.h"

namespace fiverow {

Move RunEngine(RunState& state, FileSystem& files) {
  state.textFile.Attach(files);
  ReadPosition(state);
  ReadTurn(state);
  EvaluateBoard(state);
  const Move move = SelectMove(state);
  WriteMove(state, move);
  return move;
}

}  // namespace fiverow
