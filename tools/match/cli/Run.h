// What fiverow-match does with its options: plays the match or replays a
// record, and says how it went.
#pragma once

#include <iosfwd>

#include "cli/MatchOptions.h"

namespace fiverow::match {

// The exit status: 0 when every game was played to a result (or the record
// was shown), 1 when the referee failed or was stopped. Throws UsageError
// for an engine command that cannot be split, a file engine on a board other
// than 20 x 20, or a bad openings file.
int Run(const MatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace fiverow::match
