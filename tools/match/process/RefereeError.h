// Failures of the referee itself (not of an engine): they end the match with
// exit status 1.
#pragma once

#include <stdexcept>
#include <string>

namespace fiverow::match {

struct RefereeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The referee was asked to stop by a signal (see StopSignals.h).
struct Interrupted : std::runtime_error {
  Interrupted() : std::runtime_error("interrupted") {}
};

// "what: the system's description of errno".
std::string SystemErrorText(const std::string& what, int error);

}  // namespace fiverow::match
