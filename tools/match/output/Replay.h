// Shows a recorded game again.
#pragma once

#include <iosfwd>
#include <string>

#include "output/Record.h"
#include "output/TerminalView.h"

namespace fiverow::match {

// Reads and checks the record `file`, a regular file of at most
// kRecordLimit bytes. Throws RefereeError when it cannot be read or is
// malformed.
GameRecord ReadRecordFile(const std::string& file);

// Reads the record `file` (a regular file of at most kRecordLimit bytes) and
// shows its game as --show asks. Throws RefereeError when the file cannot be
// read or is malformed, or the output cannot be written.
void ReplayGame(const std::string& file, Show show, bool colour, std::ostream& out);

// At most this much of a record is read: a game record is a few KiB.
inline constexpr std::size_t kRecordLimit = 1024 * 1024;

}  // namespace fiverow::match
