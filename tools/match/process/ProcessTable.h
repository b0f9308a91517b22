// The processes below the referee, as /proc shows them: the children the
// kernel lists for each task, or, where it keeps no such lists
// (CONFIG_PROC_CHILDREN), every process's parent. Safe to use from any
// thread.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace fiverow::match {

struct ProcessEntry {
  pid_t pid;
  pid_t parent;
};

// Appends the children of every task in `tasks` (a /proc/PID/task folder),
// as the kernel lists them; false when it keeps no lists.
bool ListedChildren(const std::string& tasks, std::vector<pid_t>& children);

// Every process that descends from the referee, with its parent, found by
// the parent of every process in /proc.
std::vector<ProcessEntry> ScanDescendants();

// Every process below `root` (not `root` itself), with its parent, found
// the cheapest way the kernel allows.
std::vector<ProcessEntry> Descendants(pid_t root);

// The parent of a process now; none once it has gone.
std::optional<pid_t> ParentOf(pid_t pid);

}  // namespace fiverow::match
