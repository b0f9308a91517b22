#include "process/posix/MemoryUse.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "process/posix/SmallFile.h"

namespace fiverow::match {

namespace {

// Enough of smaps_rollup for its Pss line, and all of statm.
constexpr std::size_t kHeadLimit = 1023;

}  // namespace

std::uint64_t HeldBytes(pid_t pid) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/";
  const std::string rollup = ReadSmallFile(AT_FDCWD, folder + "smaps_rollup", kHeadLimit);
  if (const std::size_t pss = rollup.find("\nPss:"); pss != std::string::npos)
    return std::strtoull(rollup.c_str() + pss + 5, nullptr, 10) * 1024;
  // "size resident shared ..." in pages.
  const std::string statm = ReadSmallFile(AT_FDCWD, folder + "statm", kHeadLimit);
  const char* resident = std::strchr(statm.c_str(), ' ');
  if (resident == nullptr) return 0;
  return std::strtoull(resident + 1, nullptr, 10) *
         static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace fiverow::match
