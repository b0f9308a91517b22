#include "process/win32/PreciseWait.h"

#include <timeapi.h>

#include <vector>

#include "process/RefereeError.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace fiverow::match {

namespace {

// A timer per thread, high-resolution where the system has them (Windows 10
// 1803 on); elsewhere the system timer's period is lowered to 1 ms instead.
HANDLE ThreadTimer() {
  struct Timer {
    HANDLE handle;
    Timer() {
      handle = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
      if (handle == nullptr) {
        static const bool lowered = ::timeBeginPeriod(1) == TIMERR_NOERROR;
        (void)lowered;
        handle = ::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
      }
      if (handle == nullptr) throw RefereeError("cannot create a timer");
    }
    ~Timer() { ::CloseHandle(handle); }
  };
  thread_local Timer timer;
  return timer.handle;
}

}  // namespace

int WaitUntil(std::initializer_list<HANDLE> handles, Clock::time_point deadline) {
  std::vector<HANDLE> watched(handles);
  const bool forever = deadline == Clock::time_point::max();
  if (!forever) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      const DWORD now =
          ::WaitForMultipleObjects(static_cast<DWORD>(watched.size()), watched.data(), FALSE, 0);
      return now < WAIT_OBJECT_0 + watched.size() ? static_cast<int>(now - WAIT_OBJECT_0) : -1;
    }
    // Relative time, in units of 100 ns, is negative.
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>((left.count() + 99) / 100);
    if (!::SetWaitableTimer(ThreadTimer(), &due, 0, nullptr, nullptr, FALSE))
      throw RefereeError("cannot set a timer");
    watched.push_back(ThreadTimer());
  }
  const DWORD woken =
      ::WaitForMultipleObjects(static_cast<DWORD>(watched.size()), watched.data(), FALSE, INFINITE);
  if (!forever) ::CancelWaitableTimer(ThreadTimer());
  const DWORD index = woken - WAIT_OBJECT_0;
  if (woken < WAIT_OBJECT_0 || index >= handles.size()) return -1;
  return static_cast<int>(index);
}

}  // namespace fiverow::match
