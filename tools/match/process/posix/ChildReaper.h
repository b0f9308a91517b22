// The referee's children: the engines it runs, and whatever they start and
// leave behind.
//
// The referee is a child subreaper, and so is every engine it starts (set in
// the engine before it runs): a process an engine starts and orphans, by
// setsid or a double fork, stays the engine's child while the engine lives
// and becomes the referee's once the engine is gone, never init's. The
// referee registers each engine it starts as live; KillStrays then kills and
// reaps every other child, until none is left. Safe to use from any thread.
#pragma once

#include <sys/types.h>

#include <functional>
#include <vector>

#include "process/EngineSetup.h"

namespace fiverow::match {

// Makes the referee a child subreaper. Process-wide, once.
void AdoptOrphans();

// Runs `start`, which forks and returns the child's pid (or -1), so that no
// KillStrays meanwhile can take the new child for a stray.
pid_t StartLiveChild(const std::function<pid_t()>& start);

// The child was reaped: it is no longer live.
void ForgetLiveChild(pid_t pid);

// The referee's children as KillStrays finds them where the kernel does not
// list a process's children: by the parent of every process in /proc.
std::vector<pid_t> ScanForChildren();

}  // namespace fiverow::match
