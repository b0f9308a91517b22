// The referee's program: plays the games the options ask for, or replays one.
#pragma once

#include <iosfwd>

#include "match/MatchOptions.h"

namespace fiverow::match {

// Returns the exit status: 0 when every game was played to a result, 1 when
// the referee failed or was stopped. Throws UsageError for an engine command
// that cannot be split.
int RunMatch(const MatchOptions& options, std::ostream& out, std::ostream& err);

// Shows a recorded game again; 1 if the file cannot be read or is malformed.
int ReplayGame(const std::string& file, Show show, std::ostream& out, std::ostream& err);

}  // namespace fiverow::match
