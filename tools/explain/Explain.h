// The explainer's program.
#pragma once

#include <iosfwd>

#include "explain/ExplainOptions.h"

namespace fiverow::explain {

// Returns the exit status. Reads the game files from the options' folder.
int RunExplain(const ExplainOptions& options, std::ostream& out, std::ostream& err);

}  // namespace fiverow::explain
