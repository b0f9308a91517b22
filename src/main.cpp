// fiverow: chooses one move for five-in-a-row from Plocha.dat and Tah.dat in
// the working directory. Arguments are ignored.
#include "engine/Driver.h"
#include "runtime/Console.h"
#include "runtime/FailureReport.h"
#include "runtime/UnhandledFailure.h"

namespace {
// The run's state, zero-filled at start, lives for the whole process.
constinit fiverow::RunState gState;
}  // namespace

int main() {
  // A write to a pipe whose reader has gone, or over the file-size limit, is
  // a failed file step like any other, not the end of the process.
  fiverow::KeepWriteFailuresAsErrors();
  try {
    fiverow::RunEngine(gState, fiverow::NativeFileSystem());
    return 0;
  } catch (const fiverow::RunFailure& failure) {
    // The platform sees the failure first (on Windows: the unhandled-exception
    // filter); it returns here unless a debugger takes it.
    fiverow::OfferUnhandledFailure(failure);
    fiverow::WriteFailureReport(failure);
    return 1;
  }
}
