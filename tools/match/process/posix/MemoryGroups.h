// Memory limits by cgroup v2, where the referee runs in a cgroup made for it
// and delegated to it, as `systemd-run --user --scope -p Delegate=yes
// fiverow-match ...` makes one. The referee then moves itself into a leaf
// group of its own, enables the memory controller below its cgroup, and runs
// each engine in a group of its own whose memory.max is the engine's budget.
// It never creates or changes a cgroup outside its own, and leaves cgroup v1
// hierarchies alone: without such a cgroup the budget is kept by measuring
// alone (ChildProcess.h).
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/UniqueFd.h"

namespace fiverow::match {

// The folder of the referee's cgroup when it is one it may divide: on the
// cgroup v2 hierarchy mounted at `mount`, named in `procCgroup` (the text of
// /proc/self/cgroup), not the root, owned by `user`, offering the memory
// controller, and holding no process but `self`. None otherwise.
std::optional<std::string> DelegatedCgroup(std::string_view procCgroup, const std::string& mount,
                                           pid_t self, uid_t user);

class MemoryGroups {
 public:
  // The referee's groups, set up at the first call, which must come before
  // the referee starts a thread; none where the referee has no cgroup it may
  // divide, or setting it up failed (then nothing was left changed).
  static MemoryGroups* Delegated();

  struct Group {
    std::string folder;
    tools::UniqueFd procs;  // its cgroup.procs: a process joins by writing "0" into it
  };
  // A new group that may hold at most `bytes`; none when it cannot be made.
  std::optional<Group> NewGroup(std::uint64_t bytes);
  // Whether the kernel killed a process of the group for memory.
  static bool OutOfMemory(const Group& group);
  // Removes the group, once its processes are gone.
  static void Remove(const Group& group);

 private:
  explicit MemoryGroups(std::string folder) : folder_(std::move(folder)) {}
  std::string folder_;
  std::atomic<std::uint64_t> next_ = 0;  // numbers the groups; no lock for a new one
};

}  // namespace fiverow::match
