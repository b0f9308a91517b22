#include "process/EngineSetup.h"

#include "process/ChildReaper.h"

namespace fiverow::match {

void PrepareForEngines(bool) {}

// Nothing an engine starts outlives its job.
void KillStrays() {}

}  // namespace fiverow::match
