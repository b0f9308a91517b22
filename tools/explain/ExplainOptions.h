// The explainer's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/Arguments.h"
#include "core/UTypes.h"

namespace fiverow::explain {

struct ExplainOptions {
  bool help = false;
  std::string folder = ".";
  std::optional<Move> cell;
  std::optional<std::string> svgFile;
};

using UsageError = tools::UsageError;

ExplainOptions ParseExplainOptions(const std::vector<std::string>& args);

extern const char* const kExplainHelp;

}  // namespace fiverow::explain
