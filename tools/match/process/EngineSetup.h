// What the referee sets up once, after CatchStopSignals and before it starts
// an engine or a thread of its own.
#pragma once

namespace fiverow::match {

// POSIX: makes the referee a child subreaper (posix/ChildReaper.h) and, when
// an engine has a memory budget, divides its cgroup (posix/MemoryGroups.h).
// Windows: nothing, each engine's job object holds it.
void PrepareForEngines(bool memoryBudgets);

// Ends what engines left behind. POSIX: kills and reaps every child of the
// referee that is not a live engine, and then the children those leave to
// the referee, until none is left. Looks at the lists of the calling thread
// and of the main thread, where the kernel hands orphans over, and at every
// thread's only when those show something: each thread that may hold a
// stray calls it after its engines end, and the last call comes once the
// other threads have ended. Windows: nothing, nothing an engine starts
// outlives its job.
void KillStrays();

}  // namespace fiverow::match
