// The processes below the referee, as /proc shows them: the children the
// kernel lists for each task, or, where it keeps no such lists
// (CONFIG_PROC_CHILDREN), every process's parent. Safe to use from any
// thread.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/UniqueFd.h"

namespace fiverow::match {

struct ProcessEntry {
  pid_t pid;
  pid_t parent;
};

// Appends the children of every task in `tasks` (a /proc/PID/task folder),
// as the kernel lists them; false when it keeps no lists.
bool ListedChildren(const std::string& tasks, std::vector<pid_t>& children);

// The same for one process, read again and again: the folder of its tasks
// and each task's list stay open, since an engine's children are looked for
// at every pause, twice a move.
class TaskChildren {
 public:
  explicit TaskChildren(pid_t pid);
  bool Read(std::vector<pid_t>& children);

 private:
  friend bool ListedChildren(const std::string& tasks, std::vector<pid_t>& children);
  explicit TaskChildren(tools::UniqueFd tasks) : tasks_(std::move(tasks)) {}
  tools::UniqueFd tasks_;
  std::map<pid_t, tools::UniqueFd> lists_;  // by task
};

// Every process that descends from the referee, with its parent, found by
// the parent of every process in /proc.
std::vector<ProcessEntry> ScanDescendants();

// Every process below `root` (not `root` itself), with its parent, found
// the cheapest way the kernel allows.
std::vector<ProcessEntry> Descendants(pid_t root, TaskChildren* rootChildren = nullptr);

// The parent of a process now; none once it has gone.
std::optional<pid_t> ParentOf(pid_t pid);

}  // namespace fiverow::match
