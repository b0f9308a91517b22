// The options that divide a match: --shard and --game-range (the games
// played here), --merge (the summary of shards played elsewhere) and --slurm
// with --cluster-dir and --batch-games (shards on a Slurm cluster).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "match/GameShare.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace fiverow::match {

struct ClusterOptions {
  GameShare share;
  std::vector<std::string> mergeFiles;  // event files of a match's shards
  std::optional<int> slurmShards;
  std::optional<std::string> clusterDir;  // the shards' files, on a shared file system
  std::optional<int> batchGames;          // games submitted at once, of all shards
  std::vector<std::string> arguments;     // the command line as given
};

// Adds the options; those that play games are added to `playing`.
void DefineClusterOptions(CLI::App& app, ClusterOptions& options,
                          std::vector<CLI::Option*>& playing);

struct MatchOptions;
// What the options allow together: no person in a divided match, and no
// file with --slurm that each shard would write at once.
void CheckClusterCombinations(const MatchOptions& options);

// The arguments of a shard of the match `args` (the command line of --slurm)
// describes: those of --slurm, --cluster-dir, --batch-games and --sgf taken
// out.
std::vector<std::string> ShardArguments(const std::vector<std::string>& args);

}  // namespace fiverow::match
