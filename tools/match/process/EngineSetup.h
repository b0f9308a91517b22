// What the referee sets up once, after CatchStopSignals and before it starts
// an engine or a thread of its own.
#pragma once

namespace fiverow::match {

// POSIX: makes the referee a child subreaper (ChildReaper.h) and, when an
// engine has a memory budget, divides its cgroup (MemoryGroups.h). Windows:
// nothing, each engine's job object holds it.
void PrepareForEngines(bool memoryBudgets);

}  // namespace fiverow::match
