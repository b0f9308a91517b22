#include "process/ProgramPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace fiverow::match {

bool BackslashEscapes() { return true; }

bool IsBareName(std::string_view word) { return word.find('/') == std::string_view::npos; }

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

std::string ProgramSearchPath(const std::string&) {
  if (const char* path = std::getenv("PATH")) return path;
  char fallback[256] = "/bin:/usr/bin";
  ::confstr(_CS_PATH, fallback, sizeof fallback);
  return fallback;
}

char SearchPathSeparator() { return ':'; }

std::string ProgramCandidate(const std::string& folder, const std::string& name) {
  return JoinPath(folder, name);
}

std::string CurrentFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

PathKind ProgramPathKind(const std::string& path, int& error) {
  if (::access(path.c_str(), X_OK) != 0) {
    error = errno;
    return PathKind::Unrunnable;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::OtherFile;
  return PathKind::Program;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace fiverow::match
