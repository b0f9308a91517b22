#include "process/OutputCheck.h"

#include <cerrno>
#include <ostream>

#include "process/RefereeError.h"
#include "process/StopSignals.h"

namespace fiverow::match {

void CheckOutput(std::ostream& out) {
  if (out.flush()) return;
  const int error = errno;
  if (StopRequested()) throw Interrupted();  // the write was interrupted by it
  throw RefereeError(error != 0 ? SystemErrorText("cannot write to standard output", error)
                                : "cannot write to standard output");
}

}  // namespace fiverow::match
