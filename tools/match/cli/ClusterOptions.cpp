#include "cli/ClusterOptions.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <string_view>

#include "cli/MatchOptions.h"
#include "cli/OptionValues.h"

namespace fiverow::match {

namespace {

// The options of --slurm itself, which a shard does not take.
constexpr std::array<std::string_view, 4> kSlurmOnly = {"--slurm", "--cluster-dir", "--batch-games",
                                                        "--sgf"};

}  // namespace

void DefineClusterOptions(CLI::App& app, ClusterOptions& o, std::vector<CLI::Option*>& playing) {
  const auto option = [&app](const std::string& name, const std::string& value,
                             const std::string& help,
                             std::function<void(const std::string&)> read) {
    return app.add_option_function<std::string>(name, std::move(read), help)
        ->type_name(value)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  };
  CLI::Option* shard =
      option("--shard", "K/N",
             "play only games K, K+N, K+2N, ... of the match, each\n"
             "as in the whole match; --merge sums up the shards",
             [&o](const std::string& text) {
               if (!ParseShard(text, o.share))
                 throw UsageError("--shard needs K/N with 1 <= K <= N, not \"" + text + "\"");
             });
  CLI::Option* range = option(
      "--game-range", "FIRST-LAST",
      "play only games FIRST to LAST of the match (of the\n"
      "shard's games with --shard)",
      [&o](const std::string& text) {
        const std::size_t dash = text.find('-');
        if (dash == std::string::npos)
          throw UsageError("--game-range needs FIRST-LAST, not \"" + text + "\"");
        o.share.first =
            static_cast<int>(ParseWholeNumber("--game-range", text.substr(0, dash), 1, 1000000));
        o.share.last = static_cast<int>(
            ParseWholeNumber("--game-range", text.substr(dash + 1), o.share.first, 1000000));
      });
  CLI::Option* merge = app.add_option("--merge", o.mergeFiles,
                                      "print the summary of the match whose shards wrote\n"
                                      "these --events files, its games in game order, and\n"
                                      "exit (1 when games are missing)")
                           ->type_name("FILE...")
                           ->expected(1, -1);
  CLI::Option* slurm = option("--slurm", "N",
                              "play the match as a Slurm job array of N shards,\n"
                              "wait for it and print the summary; engines must be at\n"
                              "the same paths on every node",
                              [&o](const std::string& text) {
                                o.slurmShards =
                                    static_cast<int>(ParseWholeNumber("--slurm", text, 1, 100000));
                              });
  option("--cluster-dir", "DIR",
         "with --slurm: the shards' files, in a folder every node\n"
         "reads (default: a new folder in the current one)",
         [&o](const std::string& text) { o.clusterDir = text; })
      ->needs(slurm);
  option("--batch-games", "M",
         "with --slurm: submit M games at a time, testing the\n"
         "SPRT after each batch (default 100 per shard)",
         [&o](const std::string& text) {
           o.batchGames = static_cast<int>(ParseWholeNumber("--batch-games", text, 2, 1000000));
         })
      ->needs(slurm);
  for (CLI::Option* other : playing) {
    if (other->get_name() != "--sgf") merge->excludes(other);
  }
  merge->excludes(app.get_option("--replay"));
  slurm->excludes(shard)->excludes(range);
  playing.push_back(shard);
  playing.push_back(range);
  playing.push_back(slurm);
}

void CheckClusterCombinations(const MatchOptions& options) {
  const ClusterOptions& cluster = options.cluster;
  if ((!cluster.share.Whole() || cluster.slurmShards) && options.HasHuman())
    throw UsageError(
        "a human plays at this terminal: no --shard, --game-range or --slurm with human");
  if (!cluster.slurmShards) return;
  for (const auto& [name, given] : {std::pair{"--record", options.recordFolder.has_value()},
                                    {"--log", options.logFile.has_value()},
                                    {"--events", options.eventsFile.has_value()}}) {
    if (given) {
      throw UsageError(std::string(name) +
                       " is not for --slurm: the shards' events are in --cluster-dir, and "
                       "--shard runs a shard with its own files");
    }
  }
}

std::vector<std::string> ShardArguments(const std::vector<std::string>& args) {
  std::vector<std::string> kept;
  for (std::size_t at = 0; at < args.size(); ++at) {
    const std::string& arg = args[at];
    const std::string name = arg.substr(0, arg.find('='));
    if (std::find(kSlurmOnly.begin(), kSlurmOnly.end(), name) == kSlurmOnly.end()) {
      kept.push_back(arg);
    } else if (name == arg) {
      ++at;  // its value
    }
  }
  return kept;
}

}  // namespace fiverow::match
