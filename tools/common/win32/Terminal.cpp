#include "common/Terminal.h"

#include <io.h>

#include <cstdlib>

#include "runtime/win32/WinApi.h"

namespace fiverow::tools {

bool IsTerminal(int fd) { return _isatty(fd) != 0; }

bool ColourWanted(int fd) {
  const char* noColour = std::getenv("NO_COLOR");
  if (noColour != nullptr && *noColour != '\0') return false;
  if (_isatty(fd) == 0) return false;
  const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  return ::GetConsoleMode(console, &mode) &&
         ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void UseUtf8Console() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
}

}  // namespace fiverow::tools
