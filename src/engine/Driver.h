// One run of fiverow, from the two game files to the written move.
#pragma once

#include "engine/RunState.h"
#include "runtime/FileSystem.h"

namespace fiverow {

// Reads the position and the turn, scores every empty cell, chooses the move
// and writes it into Tah.dat. Returns the move; any failed check throws
// RunFailure, with the files as far as the run got.
Move RunEngine(RunState& state, FileSystem& files);

}  // namespace fiverow
