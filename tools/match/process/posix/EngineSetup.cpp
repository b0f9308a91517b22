#include "process/EngineSetup.h"

#include "process/posix/ChildReaper.h"
#include "process/posix/MemoryGroups.h"

namespace fiverow::match {

void PrepareForEngines(bool memoryBudgets) {
  AdoptOrphans();
  if (memoryBudgets) MemoryGroups::Delegated();
}

}  // namespace fiverow::match
