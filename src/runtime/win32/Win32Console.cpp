#include "runtime/win32/WinApi.h"

#include "runtime/Console.h"

namespace fiverow {

std::string OwnExecutablePath() {
  // GetModuleFileName truncates silently to the buffer; grow it until the
  // whole path fits (Windows paths end at 32,767 characters).
  std::string path(MAX_PATH, '\0');
  while (path.size() <= 32768) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), size);
    if (n == 0) return {};
    if (n < size) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return {};
}

void KeepWriteFailuresAsErrors() {}

bool WriteToStandardOutput(std::string_view bytes) {
  // WriteFile on the handle itself: the bytes go out as they are, with no
  // code page or line end conversion.
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() < 0x10000 ? bytes.size() : 0x10000);
    DWORD written = 0;
    if (!::WriteFile(out, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::size_t ReadFromStandardInput(char* buffer, std::size_t capacity) {
  // A pipe whose writer has closed fails with ERROR_BROKEN_PIPE: the end.
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  if (in == nullptr || in == INVALID_HANDLE_VALUE) return 0;
  const DWORD size = static_cast<DWORD>(capacity < 0x10000 ? capacity : 0x10000);
  DWORD got = 0;
  if (!::ReadFile(in, buffer, size, &got, nullptr)) return 0;
  return got;
}

}  // namespace fiverow
