// A mistake on the command line, with a message for people (exit status 2).
#pragma once

#include <stdexcept>

namespace fiverow::tools {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace fiverow::tools
