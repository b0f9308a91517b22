#include "files/PositionReader.h"

#include "files/GameFiles.h"
#include "runtime/Checked.h"
#include "runtime/IoCheck.h"

namespace fiverow {

void ReadPosition(RunState& state) {
  TextFile& file = state.textFile;
  file.OpenForRead(kPositionFileName);
  IoCheck(file.ioResult);

  state.emptyCount = 0;
  for (state.y = 0; state.y < kPlaySize; ++state.y) {
    file.ReadLine(state.line);
    file.SkipLine();
    IoCheck(file.ioResult);
    for (state.x = 0; state.x < kPlaySize; ++state.x) {
      // A line shorter than 20 characters fails here, at its first missing cell.
      const CellCode code = CellCodeOf(state.line.At(CheckedAdd(state.x, 1)));
      state.board.cell(state.x, state.y) = code;
      if (code == kEmpty) state.emptyCount = CheckedAdd(state.emptyCount, 1);
    }
  }
  // Anything after the 20th line is never read.
  file.Close();
  IoCheck(file.ioResult);
}

}  // namespace fiverow
