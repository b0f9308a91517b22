#include "process/posix/MemoryUse.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "process/posix/SmallFile.h"

namespace fiverow::match {

namespace {

// Enough of smaps_rollup for its Pss line, and all of statm.
constexpr std::size_t kHeadLimit = 1023;

}  // namespace

std::uint64_t HeldBytes(pid_t pid) { return HeldMemory(pid).Bytes(); }

HeldMemory::HeldMemory(pid_t pid)
    : pid_(pid),
      rollup_(::open(("/proc/" + std::to_string(pid) + "/smaps_rollup").c_str(),
                     O_RDONLY | O_CLOEXEC)) {}

std::uint64_t HeldMemory::Bytes() const {
  if (rollup_) {
    // Read from its start, the kernel sums the process's memory afresh.
    char rollup[kHeadLimit + 1];
    const ssize_t got = ::pread(rollup_.get(), rollup, kHeadLimit, 0);
    rollup[std::max<ssize_t>(got, 0)] = '\0';
    if (const char* pss = std::strstr(rollup, "\nPss:"))
      return std::strtoull(pss + 5, nullptr, 10) * 1024;
  }
  // "size resident shared ..." in pages.
  const std::string statm =
      ReadSmallFile(AT_FDCWD, "/proc/" + std::to_string(pid_) + "/statm", kHeadLimit);
  const char* resident = std::strchr(statm.c_str(), ' ');
  if (resident == nullptr) return 0;
  return std::strtoull(resident + 1, nullptr, 10) *
         static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace fiverow::match
