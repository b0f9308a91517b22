#include "engine/Driver.h"

#include "eval/Sweep.h"
#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "select/Selection.h"

namespace fiverow {

void ReadGameFiles(RunState& state, FileSystem& files) {
  state.textFile.Attach(files);
  ReadPosition(state);
  ReadTurn(state);
}

Move ChooseMove(RunState& state) {
  EvaluateBoard(state);
  return SelectMove(state);
}

Move ReadAndChooseMove(RunState& state, FileSystem& files) {
  ReadGameFiles(state, files);
  return ChooseMove(state);
}

Move RunEngine(RunState& state, FileSystem& files) {
  const Move move = ReadAndChooseMove(state, files);
  WriteMove(state, move);
  return move;
}

}  // namespace fiverow
