// The platform's say over a failure that nothing in the run handled, before
// the report is written.
#pragma once

#include "runtime/Failure.h"

namespace fiverow {

// Offers the failure to the platform. Returns when the program is to write
// the report and end with status 1; when the platform takes the failure
// (a debugger attached on Windows), the platform ends the process and this
// does not return.
void OfferUnhandledFailure(const RunFailure& failure);

}  // namespace fiverow
