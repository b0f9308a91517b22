// The explainer's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/Asked.h"
#include "common/UsageError.h"
#include "core/UTypes.h"

namespace fiverow::explain {

struct ExplainOptions {
  tools::Asked asked = tools::Asked::kRun;
  std::string folder = ".";
  std::optional<Move> cell;
  std::optional<std::string> svgFile;
};

using UsageError = tools::UsageError;

ExplainOptions ParseExplainOptions(const std::vector<std::string>& args);

std::string ExplainHelp();

}  // namespace fiverow::explain
