#include "runtime/UnhandledFailure.h"

namespace fiverow {

// POSIX has no unhandled-exception filter: the program always reports.
void OfferUnhandledFailure(const RunFailure&) {}

}  // namespace fiverow
