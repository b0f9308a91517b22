// A match divided into shards: merged from their event files (--merge), or
// played as Slurm job arrays and merged (--slurm).
#pragma once

#include <iosfwd>

#include "cli/MatchOptions.h"

namespace fiverow::match {

// Prints the summary of the match whose shards wrote `options`'s --merge
// files, and its --sgf. 1 when games are missing, naming them. Throws
// RefereeError.
int MergeShardFiles(const MatchOptions& options, std::ostream& out, std::ostream& err);

// Plays the match on Slurm, shard by shard, and prints its summary. Throws
// RefereeError, and Interrupted once the job array is cancelled.
int PlayOnSlurm(const MatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace fiverow::match
