#include "process/EngineSetup.h"

namespace fiverow::match {

void PrepareForEngines(bool) {}

}  // namespace fiverow::match
