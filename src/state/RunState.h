// The run's state record: everything that more than one step reads lives here
// for the whole run. Steps take it by reference, so a test can build its own.
#pragma once

#include "core/UTypes.h"
#include "state/Line.h"
#include "state/TextFile.h"

namespace fiverow {

struct RunState {
  TextFile textFile;  // used in turn for the position file and the turn file
  Line line;          // the last line read from whichever file is open

  Board board;
  ScoreGrid scoreGrid;

  // The cell being read, scored or scanned, and the current pass. They live in
  // the record, not in locals, because FiveBonus works on them here.
  Int32 x = 0;
  Int32 y = 0;
  CellCode examinedCode = kEmpty;
  Int32 weight = 0;
  Int32 tally = 0;

  CellCode ownCode = kEmpty;
  Int32 emptyCount = 0;
};

}  // namespace fiverow
