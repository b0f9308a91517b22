// The I/O check that follows every file step.
#pragma once

#include "runtime/SourceSite.h"

#include "runtime/Failure.h"
#include "runtime/FileSystem.h"

namespace fiverow {

// Passes when no file step failed since the last check; otherwise resets the
// I/O result and raises EInOutError with its code.
inline void IoCheck(IoCode& ioResult, const SourceSite& where = SourceSite::current()) {
  if (ioResult == io::kOk) return;
  const IoCode code = ioResult;
  ioResult = io::kOk;
  Raise(FailureKind::EInOutError, code, where);
}

}  // namespace fiverow
