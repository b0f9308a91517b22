// Ctrl-C, Ctrl-Break, closing the console window, logging off and shutting
// down ask the referee to stop. The last three end the process once the
// handler returns, so the handler holds them until the engines are ended.
#include "process/StopSignals.h"

#include <atomic>

#include "process/win32/StopEvent.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

std::atomic<int> gStopRequested{0};
// Manual-reset: once set, every wait sees it.
const HANDLE gStopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
const HANDLE gStopDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
// The system allows a closing console about five seconds.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  gStopRequested.store(1);
  ::SetEvent(gStopEvent);
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
    ::WaitForSingleObject(gStopDone, kCloseGraceMs);
  return TRUE;
}

}  // namespace

void CatchStopSignals() {
  KeepWriteFailuresAsErrors();
  // A crashing engine shows no error dialog: the mode is inherited.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested() { return gStopRequested.load() != 0; }

// No file descriptor carries it on Windows: waits use StopEvent().
int StopNotificationFd() { return -1; }

void InterruptWaits() { ::SetEvent(gStopEvent); }

HANDLE StopEvent() { return gStopEvent; }

void StopCompleted() { ::SetEvent(gStopDone); }

}  // namespace fiverow::match
