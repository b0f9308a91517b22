// Slurm clusters and their shard files are Linux's: on Windows both say so.
#include "cli/ClusterRun.h"

#include "process/RefereeError.h"

namespace fiverow::match {

int MergeShardFiles(const MatchOptions&, std::ostream&, std::ostream&) {
  throw RefereeError("merging shards is not available on Windows: merge them on Linux");
}

int PlayOnSlurm(const MatchOptions&, std::ostream&, std::ostream&) {
  throw RefereeError("Slurm runs are not available on Windows");
}

}  // namespace fiverow::match
