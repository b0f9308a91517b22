#include "process/MemoryUse.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/UniqueFd.h"

namespace fiverow::match {

namespace {

// At most the first block of a small /proc file.
std::string ReadHead(const std::string& path) {
  const tools::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file) return {};
  char buffer[1024];
  const ssize_t got = ::read(file.get(), buffer, sizeof buffer - 1);
  return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

}  // namespace

std::uint64_t HeldBytes(pid_t pid) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/";
  const std::string rollup = ReadHead(folder + "smaps_rollup");
  if (const std::size_t pss = rollup.find("\nPss:"); pss != std::string::npos)
    return std::strtoull(rollup.c_str() + pss + 5, nullptr, 10) * 1024;
  // "size resident shared ..." in pages.
  const std::string statm = ReadHead(folder + "statm");
  const char* resident = std::strchr(statm.c_str(), ' ');
  if (resident == nullptr) return 0;
  return std::strtoull(resident + 1, nullptr, 10) *
         static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace fiverow::match
