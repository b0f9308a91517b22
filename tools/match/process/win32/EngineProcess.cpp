// EngineProcess on Windows: a JobProcess, started in the folder its handle
// names.
#include "process/EngineProcess.h"

#include <io.h>

#include <cstdio>

#include "common/win32/WideText.h"
#include "process/RefereeError.h"
#include "process/win32/JobProcess.h"

namespace fiverow::match {

namespace {

// The folder's path, as a current folder may be given: without "\\?\".
std::string FolderPath(int folderFd) {
  const HANDLE folder = reinterpret_cast<HANDLE>(_get_osfhandle(folderFd));
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(folder, path.data(), MAX_PATH, 0);
  if (length >= MAX_PATH) {
    path.resize(length);
    length = ::GetFinalPathNameByHandleW(folder, path.data(), length, 0);
  }
  if (length == 0) throw RefereeError("cannot name an engine's folder");
  path.resize(length);
  if (path.starts_with(L"\\\\?\\UNC\\"))
    path = L"\\\\" + path.substr(8);
  else if (path.starts_with(L"\\\\?\\"))
    path = path.substr(4);
  return tools::Narrowed(path);
}

}  // namespace

std::unique_ptr<EngineProcess> EngineProcess::Start(const std::vector<std::string>& argv,
                                                    int folderFd, const EngineOptions& options) {
  return std::make_unique<JobProcess>(argv, FolderPath(folderFd), options);
}

// As on POSIX, so that records and events read the same on both systems.
int KilledAtDeadlineCode() { return 9; }

std::string ExitText(bool signalled, int code) {
  if (!signalled) return "exited with status " + std::to_string(code);
  char text[48];
  std::snprintf(text, sizeof text, "crashed with exception 0x%08X", static_cast<unsigned>(code));
  return text;
}

}  // namespace fiverow::match
