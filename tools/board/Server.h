// fiverow-board's server: the page and its requests, until a stop signal.
#pragma once

#include <iosfwd>

#include "board/BoardOptions.h"

namespace fiverow::board {

// Serves the page as the options ask, printing its address on `out`, until
// SIGINT, SIGTERM or another stop signal; then ends every engine and removes
// their folders. The exit status: 0 when stopped so, 1 when it could not
// serve. Throws UsageError for an engine command that cannot be split.
int RunBoard(const BoardOptions& options, std::ostream& out, std::ostream& err);

}  // namespace fiverow::board
