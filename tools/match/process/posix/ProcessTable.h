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

// The children of one process, read again and again: the folder of its
// tasks and each task's list stay open, since an engine's children are
// looked for at every pause, twice a move.
class TaskChildren {
 public:
  explicit TaskChildren(pid_t pid);
  // `tasks`: a /proc/PID/task folder.
  explicit TaskChildren(const std::string& tasks);
  // Appends the children of every task, as the kernel lists them; false
  // when it keeps no lists, which, once found, holds for every reader.
  bool Read(std::vector<pid_t>& children);

 private:
  tools::UniqueFd tasks_;
  std::map<pid_t, tools::UniqueFd> lists_;  // by task
};

// Appends the pids of a task's list of children (a /proc/PID/task/TID/children
// handle), read from its start; false when it cannot be read.
bool ReadChildrenList(int list, std::vector<pid_t>& children);

// The children of every task in `tasks` (a /proc/PID/task folder), read
// once, as TaskChildren::Read gives them.
bool ListedChildren(const std::string& tasks, std::vector<pid_t>& children);

// Every process that descends from the referee, with its parent, found by
// the parent of every process in /proc.
std::vector<ProcessEntry> ScanDescendants();

// Every process below `root` (not `root` itself), with its parent, found
// the cheapest way the kernel allows.
std::vector<ProcessEntry> Descendants(pid_t root, TaskChildren* rootChildren = nullptr);

// The parent of a process now; none once it has gone.
std::optional<pid_t> ParentOf(pid_t pid);

}  // namespace fiverow::match
