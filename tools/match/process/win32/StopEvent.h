// The referee's stop notification on Windows (StopSignals.h): an event that
// is set for good once a stop was asked for, to wait on beside engines.
#pragma once

#include "runtime/win32/WinApi.h"

namespace fiverow::match {

HANDLE StopEvent();

// Called once the referee has ended every engine and removed their folders:
// a console being closed waits for this before the system ends the referee.
void StopCompleted();

}  // namespace fiverow::match
