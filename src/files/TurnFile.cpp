#include "files/TurnFile.h"

#include "files/GameFiles.h"
#include "runtime/IoCheck.h"

namespace fiverow {

void ReadTurn(RunState& state) {
  TextFile& file = state.textFile;
  file.OpenForRead(kTurnFileName);
  IoCheck(file.ioResult);

  // Only the first character counts, so the line is read no further: what
  // follows could not change the side, and a turn file that never ends (a
  // device such as /dev/zero) cannot hold the run up.
  file.ReadLineHead(state.line, 1);
  IoCheck(file.ioResult);
  // An empty first line fails the index check here.
  state.ownCode = OwnCodeOf(state.line.At(1));

  file.Close();
  IoCheck(file.ioResult);
}

namespace {
void AppendDecimal(MoveText& text, Int32 value) {
  if (value >= 10) AppendDecimal(text, value / 10);
  text.bytes[text.size++] = static_cast<char>('0' + value % 10);
}
}  // namespace

MoveText FormatMove(Move move) {
  MoveText text;
  AppendDecimal(text, move.x);
  text.bytes[text.size++] = ',';
  AppendDecimal(text, move.y);
  return text;
}

void WriteMove(RunState& state, Move move) {
  TextFile& file = state.textFile;
  file.OpenForWrite(kTurnFileName);
  IoCheck(file.ioResult);

  file.Write(FormatMove(move).view());
  IoCheck(file.ioResult);

  file.Close();
  IoCheck(file.ioResult);
}

}  // namespace fiverow
