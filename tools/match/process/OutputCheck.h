// The referee's own output: a failed write ends the match.
#pragma once

#include <iosfwd>

namespace fiverow::match {

// Flushes `out`; throws RefereeError when the write failed, or Interrupted
// when a stop signal broke it.
void CheckOutput(std::ostream& out);

}  // namespace fiverow::match
