#include "process/EngineSetup.h"

namespace fiverow::match {

void PrepareForEngines(bool) {}

// Nothing an engine starts outlives its job.
void KillStrays() {}

}  // namespace fiverow::match
