#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/Console.h"

namespace fiverow {

std::string OwnExecutablePath() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0) return {};
  return std::string(path, static_cast<std::size_t>(n));
}

void KeepWriteFailuresAsErrors() {
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

bool WriteToStandardOutput(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::size_t ReadFromStandardInput(char* buffer, std::size_t capacity) {
  while (true) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, capacity);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? 0 : static_cast<std::size_t>(n);
  }
}

}  // namespace fiverow
