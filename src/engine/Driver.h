// One run of fiverow, from the two game files to the written move, and the
// steps every front end shares: reading the files and choosing the move.
#pragma once

#include "runtime/FileSystem.h"
#include "state/RunState.h"

namespace fiverow {

// Reads Plocha.dat and Tah.dat through `files`: sets Board, EmptyCount and
// OwnCode of the record. Any failed check throws RunFailure.
void ReadGameFiles(RunState& state, FileSystem& files);

// Scores every empty cell of the record's Board for its OwnCode and chooses
// the move: the first empty cell with the highest score, (10, 10) when
// EmptyCount is 400. Throws RunFailure (EBoardFull when no cell is empty).
Move ChooseMove(RunState& state);

// The move fiverow plays for the two files, without writing it.
Move ReadAndChooseMove(RunState& state, FileSystem& files);

// A whole run: reads the files, chooses the move and writes it into Tah.dat.
// Returns the move; any failed check throws RunFailure, with the files as far
// as the run got.
Move RunEngine(RunState& state, FileSystem& files);

}  // namespace fiverow
