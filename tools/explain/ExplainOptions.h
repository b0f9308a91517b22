// The explainer's command line.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/UTypes.h"

namespace fiverow::explain {

struct ExplainOptions {
  bool help = false;
  std::string folder = ".";
  std::optional<Move> cell;
  std::optional<std::string> svgFile;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

ExplainOptions ParseExplainOptions(const std::vector<std::string>& args);

extern const char* const kExplainHelp;

}  // namespace fiverow::explain
