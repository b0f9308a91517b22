#include "process/posix/MemoryGroups.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "process/posix/SmallFile.h"

namespace fiverow::match {

namespace {

bool WriteFile(const std::string& path, std::string_view text) {
  const tools::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  return file && ::write(file.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Where the cgroup v2 hierarchy is mounted, from /proc/self/mountinfo.
std::string UnifiedMount() {
  std::istringstream lines(ReadSmallFile(AT_FDCWD, "/proc/self/mountinfo"));
  for (std::string line; std::getline(lines, line);) {
    // "... MOUNTPOINT ... - cgroup2 ..."
    if (line.find(" - cgroup2 ") == std::string::npos) continue;
    std::istringstream fields(line);
    std::string field;
    for (int i = 0; i < 5 && fields >> field; ++i) {
    }
    return field;
  }
  return {};
}

bool HasWord(std::string_view text, std::string_view word) {
  std::istringstream words{std::string(text)};
  for (std::string each; words >> each;) {
    if (each == word) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> DelegatedCgroup(std::string_view procCgroup, const std::string& mount,
                                           pid_t self, uid_t user) {
  if (mount.empty()) return std::nullopt;
  std::istringstream lines{std::string(procCgroup)};
  std::string path;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("0::")) path = line.substr(3);
  }
  if (path.empty() || path == "/") return std::nullopt;
  const std::string folder = mount + path;
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != user ||
      ::access(folder.c_str(), W_OK) != 0 ||
      ::access((folder + "/cgroup.subtree_control").c_str(), W_OK) != 0 ||
      !HasWord(ReadSmallFile(AT_FDCWD, folder + "/cgroup.controllers"), "memory")) {
    return std::nullopt;
  }
  std::istringstream procs(ReadSmallFile(AT_FDCWD, folder + "/cgroup.procs"));
  bool alone = true;
  bool seen = false;
  for (pid_t pid = 0; procs >> pid;) {
    seen = seen || pid == self;
    alone = alone && pid == self;
  }
  if (!alone || !seen) return std::nullopt;
  return folder;
}

MemoryGroups* MemoryGroups::Delegated() {
  static MemoryGroups* const groups = []() -> MemoryGroups* {
    const char* off = std::getenv("FIVEROW_NO_CGROUP");
    if (off != nullptr && *off != '\0') return nullptr;
    const std::optional<std::string> folder = DelegatedCgroup(
        ReadSmallFile(AT_FDCWD, "/proc/self/cgroup"), UnifiedMount(), ::getpid(), ::geteuid());
    if (!folder) return nullptr;
    // No process may stay in a group whose controllers its children use.
    const std::string leaf = *folder + "/fiverow-match";
    const std::string self = std::to_string(::getpid());
    if (::mkdir(leaf.c_str(), 0755) != 0 && errno != EEXIST) return nullptr;
    if (!WriteFile(leaf + "/cgroup.procs", self)) {
      ::rmdir(leaf.c_str());
      return nullptr;
    }
    if (!WriteFile(*folder + "/cgroup.subtree_control", "+memory")) {
      WriteFile(*folder + "/cgroup.procs", self);
      ::rmdir(leaf.c_str());
      return nullptr;
    }
    return new MemoryGroups(*folder);
  }();
  return groups;
}

std::optional<MemoryGroups::Group> MemoryGroups::NewGroup(std::uint64_t bytes) {
  Group group;
  group.folder =
      folder_ + "/engine-" + std::to_string(::getpid()) + "-" + std::to_string(next_.fetch_add(1));
  if (::mkdir(group.folder.c_str(), 0755) != 0) return std::nullopt;
  // No swap: what it holds is what it may hold.
  WriteFile(group.folder + "/memory.swap.max", "0");
  group.procs.Reset(::open((group.folder + "/cgroup.procs").c_str(), O_WRONLY | O_CLOEXEC));
  if (!WriteFile(group.folder + "/memory.max", std::to_string(bytes)) || !group.procs) {
    ::rmdir(group.folder.c_str());
    return std::nullopt;
  }
  return group;
}

bool MemoryGroups::OutOfMemory(const Group& group) {
  std::istringstream events(ReadSmallFile(AT_FDCWD, group.folder + "/memory.events"));
  for (std::string key; events >> key;) {
    long count = 0;
    events >> count;
    if (key == "oom_kill" && count > 0) return true;
  }
  return false;
}

void MemoryGroups::Remove(const Group& group) {
  // The last processes may take a moment to leave once killed.
  for (int attempt = 0; attempt < 50 && ::rmdir(group.folder.c_str()) != 0 && errno == EBUSY;
       ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace fiverow::match
