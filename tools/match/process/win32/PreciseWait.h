// Waits that wake within a millisecond of their deadline, not at the next
// tick of the system's 15.6 ms timer.
#pragma once

#include <initializer_list>

#include "process/Deadline.h"
#include "runtime/win32/WinApi.h"

namespace fiverow::match {

// Waits for the first of `handles` to be signalled, or the deadline. The
// index of the handle, or -1 when the deadline passed first.
int WaitUntil(std::initializer_list<HANDLE> handles, Clock::time_point deadline);

}  // namespace fiverow::match
