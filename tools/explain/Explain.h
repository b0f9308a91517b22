// The explainer's program.
#pragma once

#include <iosfwd>

#include "explain/ExplainOptions.h"

namespace fiverow::explain {

// Returns the exit status. Changes into the options' folder to read the game
// files, since fiverow reads them from its working folder.
int RunExplain(const ExplainOptions& options, std::ostream& out, std::ostream& err);

}  // namespace fiverow::explain
