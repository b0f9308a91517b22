#include "process/ProgramPaths.h"

#include <cerrno>

#include "common/win32/WideText.h"
#include "runtime/win32/WinApi.h"

namespace fiverow::match {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

DWORD Attributes(const std::string& path) {
  return ::GetFileAttributesW(tools::Widened(path).c_str());
}

}  // namespace

bool BackslashEscapes() { return false; }

bool IsBareName(std::string_view word) {
  return word.find_first_of("\\/:") == std::string_view::npos;
}

// From the root of a drive or share: "C:\x", "\\server\x", or "\x" on the
// current drive.
bool IsAbsolutePath(std::string_view path) {
  if (!path.empty() && IsSeparator(path[0])) return true;
  return path.size() >= 3 && path[1] == ':' && IsSeparator(path[2]);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
  return folder + "\\" + name;
}

std::string ProgramSearchPath(const std::string& toolFolder) {
  std::string path = toolFolder;
  path.append(";.");
  if (const DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0); size > 0) {
    std::wstring value(size, L'\0');
    value.resize(::GetEnvironmentVariableW(L"PATH", value.data(), size));
    path.append(";").append(tools::Narrowed(value));
  }
  return path;
}

char SearchPathSeparator() { return ';'; }

std::string ProgramCandidate(const std::string& folder, const std::string& name) {
  const bool extension = name.find('.') != std::string::npos;
  return JoinPath(folder, extension ? name : name + ".exe");
}

std::string CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  folder.resize(::GetCurrentDirectoryW(size, folder.data()));
  return tools::Narrowed(folder);
}

std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

PathKind ProgramPathKind(const std::string& path, int& error) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = ENOENT;
    return PathKind::Unrunnable;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::Program;
}

bool PathExists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace fiverow::match
