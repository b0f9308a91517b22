// Presses Ctrl-C on a program's console once its output shows a line, as a
// person at the console would:
//   fiverow_console_stop OUT ERR TEXT PROGRAM [ARG...]
// runs PROGRAM on a console it shares with this launcher alone (under wine:
// the launcher's own, on a terminal, as `script` gives), its standard output
// and error written to the files OUT and ERR; waits up to 60 s for TEXT in OUT, sends CTRL_C_EVENT
// to the console, and exits with the program's status once it has ended: 90 when TEXT never came or
// it did not end within 60 s more (it is then killed), 91 when it could not start.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/win32/WideText.h"
#include "process/win32/WindowsCommandLine.h"

namespace {

bool Shows(const std::string& path, const std::string& text) {
  std::ifstream file(path, std::ios::binary);
  const std::string shown{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return shown.find(text) != std::string::npos;
}

HANDLE Inherited(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(fiverow::tools::Widened(path).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 91;
  // A console of its own on Windows, so that the Ctrl-C reaches no one
  // else; wine makes one only on a terminal, so there the launcher keeps it.
  const bool wine =
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (!wine) ::FreeConsole();
  ::AllocConsole();
  // The launcher lets the Ctrl-C it sends pass: a handler, unlike ignoring
  // Ctrl-C, is not inherited by the program.
  ::SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE);
  std::wstring line;
  for (int i = 4; i < argc; ++i) {
    if (i > 4) line += L' ';
    line += fiverow::match::QuotedArgument(fiverow::tools::Widened(argv[i]));
  }
  STARTUPINFOW info{};
  info.cb = sizeof info;
  info.dwFlags = STARTF_USESTDHANDLES;
  info.hStdInput = Inherited("NUL", GENERIC_READ, OPEN_EXISTING);
  info.hStdOutput = Inherited(argv[1], GENERIC_WRITE, CREATE_ALWAYS);
  info.hStdError = Inherited(argv[2], GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &info,
                        &started))
    return 91;
  ::CloseHandle(started.hThread);
  bool shown = false;
  for (int waited = 0; waited < 60000 && !shown; waited += 10) {
    if (::WaitForSingleObject(started.hProcess, 10) == WAIT_OBJECT_0) break;
    shown = Shows(argv[1], argv[3]);
  }
  if (shown) ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  if (!shown || ::WaitForSingleObject(started.hProcess, 60000) != WAIT_OBJECT_0) {
    ::TerminateProcess(started.hProcess, 90);
    return 90;
  }
  DWORD status = 0;
  ::GetExitCodeProcess(started.hProcess, &status);
  return static_cast<int>(status);
}
