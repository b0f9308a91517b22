#include "process/posix/SmallFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/UniqueFd.h"

namespace fiverow::match {

std::string ReadSmallFile(int dir, const std::string& path, std::size_t limit) {
  std::string text;
  const tools::UniqueFd file(::openat(dir, path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file) return text;
  char buffer[4096];
  while (text.size() < limit) {
    const ssize_t got = ::read(file.get(), buffer, std::min(sizeof buffer, limit - text.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

}  // namespace fiverow::match
