#include "process/EngineSetup.h"

#include "process/ChildReaper.h"
#include "process/MemoryGroups.h"

namespace fiverow::match {

void PrepareForEngines(bool memoryBudgets) {
  AdoptOrphans();
  if (memoryBudgets) MemoryGroups::Delegated();
}

}  // namespace fiverow::match
