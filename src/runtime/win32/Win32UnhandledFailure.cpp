// On Windows an unhandled failure is first offered to the system's
// unhandled-exception filter, as any unhandled exception would be.
//
// Left to itself that filter would start Windows Error Reporting or the
// registered just-in-time debugger (winedbg under wine), with a dialog or a
// crash dump, when no debugger is attached. fiverow is run unattended by
// match referees, so for the time of the call it installs a top-level filter
// that leaves the failure to the program: the system filter then hands it back
// at once, and only a debugger that is already attached can take it.

// Before <windows.h>, whose FormatMessage macro would rename fiverow's own.
#include "runtime/UnhandledFailure.h"

#include "runtime/win32/WinApi.h"

namespace fiverow {

namespace {

// An application exception code ("FRW" with the customer and error bits), so
// a debugger shows the failure as fiverow's own.
constexpr DWORD kRunFailureCode = 0xE0465257;

LONG WINAPI LeaveToProgram(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

}  // namespace

void OfferUnhandledFailure(const RunFailure& failure) {
  EXCEPTION_RECORD record{};
  record.ExceptionCode = kRunFailureCode;
  record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  record.ExceptionAddress = reinterpret_cast<PVOID>(&OfferUnhandledFailure);
  record.NumberParameters = 3;
  record.ExceptionInformation[0] = static_cast<ULONG_PTR>(failure.kind);
  record.ExceptionInformation[1] = static_cast<ULONG_PTR>(static_cast<ULONG>(failure.ioCode));
  record.ExceptionInformation[2] = failure.location;
  CONTEXT context{};
  ::RtlCaptureContext(&context);
  EXCEPTION_POINTERS pointers{&record, &context};

  const LPTOP_LEVEL_EXCEPTION_FILTER previous = ::SetUnhandledExceptionFilter(LeaveToProgram);
  const LONG verdict = ::UnhandledExceptionFilter(&pointers);
  ::SetUnhandledExceptionFilter(previous);
  if (verdict != EXCEPTION_CONTINUE_SEARCH) return;

  // A debugger is attached: raise the failure for real and let it and the
  // system decide how the process ends.
  ::RaiseException(record.ExceptionCode, record.ExceptionFlags, record.NumberParameters,
                   record.ExceptionInformation);
}

}  // namespace fiverow
