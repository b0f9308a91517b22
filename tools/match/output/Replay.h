// Shows a recorded game again.
#pragma once

#include <iosfwd>
#include <string>

#include "output/Record.h"
#include "output/TerminalView.h"

namespace fiverow::match {

// Reads and checks the `game`-th game of `file`, a game record or an SGF
// file (a regular file of at most kRecordLimit or kSgfLimit bytes,
// GameFile.h). Throws RefereeError when it cannot be read or is malformed.
GameRecord ReadGameFile(const std::string& file, int game = 1);

// Reads the `game`-th game of `file`, a game record or an SGF file (a regular
// file of at most kRecordLimit or kSgfLimit bytes, GameFile.h), and shows it
// as --show asks. Throws RefereeError when the file cannot be read or is
// malformed, or the output cannot be written.
void ReplayGame(const std::string& file, int game, Show show, bool colour, std::ostream& out);

}  // namespace fiverow::match
