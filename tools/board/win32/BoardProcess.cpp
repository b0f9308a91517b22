#include "board/BoardProcess.h"

#include "runtime/win32/WinApi.h"
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>

#include "common/win32/WideText.h"
#include "process/StopSignals.h"
#include "process/win32/StopEvent.h"

namespace fiverow::board {

void WaitForStop() { ::WaitForSingleObject(match::StopEvent(), INFINITE); }

void StopFinished() { match::StopCompleted(); }

bool StartedOnItsOwnConsole() {
  // A console opened by cmd.exe or a terminal lists them too.
  DWORD processes[2];
  return ::GetConsoleProcessList(processes, 2) == 1;
}

std::optional<std::string> OpenInBrowser(const std::string& url) {
  // The shell's handlers may use COM.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::wstring wide = tools::Widened(url);
  const auto opened = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  const DWORD error = ::GetLastError();
  if (SUCCEEDED(com)) ::CoUninitialize();
  if (opened > 32) return std::nullopt;
  return "the shell cannot open it: " + tools::WindowsErrorText(error);
}

}  // namespace fiverow::board
