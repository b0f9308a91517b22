#include "cli/ClusterRun.h"

#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

#include "cli/SlurmJob.h"
#include "common/EscapedText.h"
#include "common/Terminal.h"
#include "output/SgfFile.h"
#include "output/ShardMerge.h"
#include "output/TerminalView.h"
#include "process/RefereeError.h"
#include "process/StopSignals.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

// How long to wait between two looks at the job array.
constexpr int kPollMilliseconds = 2000;
// Games in a batch of an SPRT, per shard, unless --batch-games says.
constexpr int kBatchGamesPerShard = 100;

// Prints the merged match as the match played whole prints itself.
void PrintMerged(const MergedShards& merged, const MatchOptions& options, std::ostream& out,
                 std::ostream& err) {
  TerminalSettings settings;
  settings.show = options.show.value_or(Show::None);
  settings.colour = tools::ColourWanted(STDOUT_FILENO);
  settings.openings = merged.openings;
  Sinks sinks;
  TerminalView terminal(merged.plan, settings, out, err);
  sinks.Add(terminal);
  std::optional<SgfFile> sgf;
  if (options.sgfFile) sinks.Add(sgf.emplace(*options.sgfFile, merged.plan.engines));
  ReportShards(merged, sinks);
}

std::string MissingText(const std::vector<GameRange>& missing, int games) {
  int count = 0;
  for (const auto& [first, last] : missing) count += last - first + 1;
  return (count == 1 ? "game " : "games ") + GameListText(missing) + " of " +
         std::to_string(games) + (count == 1 ? " is" : " are") + " missing from the shards";
}

// Counts the games the shards' event files report, reading only what was
// added since the last look.
class ProgressCount {
 public:
  int Count(const std::vector<std::string>& files) {
    int games = 0;
    for (const std::string& file : files) {
      Seen& seen = seen_[file];
      std::ifstream in(file);
      if (in && in.seekg(seen.offset)) {
        std::string line;
        while (std::getline(in, line) && !in.eof()) {
          seen.offset += static_cast<std::streamoff>(line.size() + 1);
          if (line.find("\"event\":\"game-ended\"") != std::string::npos) ++seen.games;
        }
      }
      games += seen.games;
    }
    return games;
  }

 private:
  struct Seen {
    std::streamoff offset = 0;
    int games = 0;
  };
  std::map<std::string, Seen> seen_;
};

// A batch of games, played as one job array: games first to last, shard K
// of the array playing those that are K modulo the shards.
struct Batch {
  int number = 1;
  int first = 1;
  int last = 1;
  int shards = 1;
};

std::string BatchName(const std::string& folder, const Batch& batch) {
  return folder + "/batch-" + std::to_string(batch.number);
}

// The batch's script: fiverow-match as it was called, with the shard's
// share and events file. Kept in the folder, to run a failed shard again.
std::string WriteScript(const MatchOptions& options, const std::string& folder, const Batch& batch,
                        bool whole) {
  const std::string name = BatchName(folder, batch);
  std::ostringstream script;
  script << "#!/bin/sh\n# Shard $SLURM_ARRAY_TASK_ID of " << batch.shards << " of games "
         << batch.first << " to " << batch.last << " of the match.\nexec "
         << ShellQuoted(fiverow::OwnExecutablePath());
  for (const std::string& arg : ShardArguments(options.cluster.arguments))
    script << ' ' << ShellQuoted(arg);
  script << " --shard \"$SLURM_ARRAY_TASK_ID\"/" << batch.shards;
  if (!whole) script << " --game-range " << batch.first << '-' << batch.last;
  script << " --events " << ShellQuoted(name + "-shard-") << "\"$SLURM_ARRAY_TASK_ID\".events\n";
  const std::string path = name + ".sh";
  std::ofstream file(path);
  file << script.str();
  file.close();
  if (!file) throw RefereeError(SystemErrorText("cannot write " + tools::ShownText(path), errno));
  std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  return path;
}

std::string ClusterFolder(const MatchOptions& options) {
  std::error_code error;
  if (options.cluster.clusterDir) {
    const std::string& dir = *options.cluster.clusterDir;
    std::filesystem::create_directories(dir, error);
    if (error)
      throw RefereeError("cannot make the folder " + tools::ShownText(dir) + ": " +
                         error.message());
    return std::filesystem::absolute(dir).lexically_normal().string();
  }
  std::string pattern = std::filesystem::current_path(error).string() + "/fiverow-slurm-XXXXXX";
  if (error || ::mkdtemp(pattern.data()) == nullptr)
    throw RefereeError(SystemErrorText("cannot make a folder for the shards' files", errno));
  return pattern;
}

// Waits for the job to leave the queue, showing the games done on a
// terminal. Cancels the job when the referee is told to stop.
void AwaitJob(SlurmJob& job, const std::vector<std::string>& events, int doneBefore, int games,
              std::ostream& err) {
  const bool shown = ::isatty(STDERR_FILENO) == 1;
  ProgressCount progress;
  try {
    while (job.Queued()) {
      if (shown) {
        err << "\r\033[Kgames " << doneBefore + progress.Count(events) << " of " << games
            << " done (Slurm job " << job.id() << ")" << std::flush;
      }
      pollfd stop{StopNotificationFd(), POLLIN, 0};
      ::poll(&stop, 1, kPollMilliseconds);
      if (StopRequested()) throw Interrupted();
    }
  } catch (const Interrupted&) {
    if (shown) err << "\r\033[K" << std::flush;
    job.Cancel(err);
    err << "fiverow-match: cancelled Slurm job " << job.id() << "\n";
    throw;
  }
  if (shown) err << "\r\033[K" << std::flush;
}

}  // namespace

int MergeShardFiles(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  const MergedShards merged = ReadShards(options.cluster.mergeFiles);
  const MergeCheck check = CheckShards(merged);
  if (!check.missing.empty()) {
    err << "fiverow-match: " << MissingText(check.missing, merged.plan.games) << "\n";
    return 1;
  }
  PrintMerged(merged, options, out, err);
  return 0;
}

int PlayOnSlurm(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  CatchStopSignals();
  const int games = options.TotalGames();
  const int shards = *options.cluster.slurmShards;
  // A batch is whole rounds of the shards, so that each plays as many games.
  int batchGames = games;
  if (options.sprt || options.cluster.batchGames) {
    const int asked = options.cluster.batchGames.value_or(kBatchGamesPerShard * shards);
    batchGames = (asked + shards - 1) / shards * shards;
  }
  const std::string folder = ClusterFolder(options);
  err << "fiverow-match: the shards' files are in " << tools::ShownText(folder) << "\n";
  std::vector<std::string> events;
  std::error_code ignored;
  const std::string here = std::filesystem::current_path(ignored).string();
  for (Batch batch{1, 1, std::min(games, batchGames), shards};;) {
    batch.shards = std::min(shards, batch.last - batch.first + 1);
    const bool whole = batch.first == 1 && batch.last == games;
    ArraySubmission submission;
    submission.script = WriteScript(options, folder, batch, whole);
    submission.tasks = batch.shards;
    submission.output = BatchName(folder, batch) + "-shard-%a.out";
    submission.folder = here;
    submission.name = "fiverow-match";
    if (options.concurrency > 1) submission.cpusPerTask = options.concurrency;
    std::vector<std::string> added;
    for (int shard = 1; shard <= batch.shards; ++shard)
      added.push_back(BatchName(folder, batch) + "-shard-" + std::to_string(shard) + ".events");
    SlurmJob job(submission);
    events.insert(events.end(), added.begin(), added.end());
    AwaitJob(job, added, batch.first - 1, games, err);

    std::vector<std::string> written;
    for (const std::string& file : events) {
      if (std::filesystem::exists(file, ignored)) written.push_back(file);
    }
    if (written.empty()) {
      err << "fiverow-match: no shard wrote its events; see "
          << tools::ShownText(BatchName(folder, batch)) << "-shard-*.out\n";
      return 1;
    }
    const MergedShards merged = ReadShards(written);
    const MergeCheck check = CheckShards(merged, batch.last);
    if (!check.missing.empty()) {
      err << "fiverow-match: " << MissingText(check.missing, games)
          << "; see the shards' output in " << tools::ShownText(folder)
          << ", run a shard again with sbatch --array=K BATCH.sh there, then merge with "
             "fiverow-match --merge "
          << tools::ShownText(folder) << "/*.events\n";
      return 1;
    }
    if (check.decidedAt || batch.last == games) {
      PrintMerged(merged, options, out, err);
      return 0;
    }
    batch = {batch.number + 1, batch.last + 1, std::min(games, batch.last + batchGames), shards};
  }
}

}  // namespace fiverow::match
