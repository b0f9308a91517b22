#include "cli/Run.h"

#include <limits>
#include <ostream>

#include "cli/ClusterRun.h"
#include "cli/OpeningsFile.h"
#include "common/EscapedText.h"
#include "common/Terminal.h"
#include "match/Match.h"
#include "output/EventStream.h"
#include "output/OpeningsLine.h"
#include "output/ProtocolLog.h"
#include "output/RecordFolder.h"
#include "output/Replay.h"
#include "output/SgfFile.h"
#include "output/TerminalView.h"
#include "process/RefereeError.h"

namespace fiverow::match {

namespace {

MatchPlan PlanOf(const MatchOptions& options) {
  MatchPlan plan;
  const CommandPlace place = ThisCommandPlace();
  for (std::size_t index = 0; index < options.EngineCount(); ++index) {
    MatchEngine engine;
    engine.label = EngineLabel(index);
    engine.program =
        ChooseEngine(index < options.engineCommands.size() ? options.engineCommands[index]
                                                           : DefaultEngineCommand(place),
                     place);
    if (engine.program.protocol == Protocol::File && options.boardSize != kStandardBoardSize) {
      throw UsageError("--board-size " + std::to_string(options.boardSize) +
                       " needs pipe engines or people: " + engine.label + " (" +
                       tools::ShownText(engine.program.command) +
                       ") speaks the file protocol, whose Plocha.dat is 20 x 20");
    }
    // A person is timed only by a limit that was asked for.
    const std::optional<double> turn = options.timeLimit.For(index);
    const bool person = engine.program.protocol == Protocol::Human;
    engine.time.turnSeconds = turn     ? *turn
                              : person ? std::numeric_limits<double>::infinity()
                                       : kDefaultTurnSeconds;
    engine.time.matchSeconds = options.matchTime.For(index);
    engine.time.incrementSeconds = options.increment.For(index).value_or(0);
    engine.time.marginSeconds = options.timeMargin;
    if (const auto depth = options.depth.For(index))
      engine.limits.info.emplace_back("max_depth", std::to_string(*depth));
    if (const auto nodes = options.nodes.For(index))
      engine.limits.info.emplace_back("max_node", std::to_string(*nodes));
    for (const EngineInfo& info : options.engineOptions) {
      if (info.engine == index) engine.limits.info.emplace_back(info.key, info.value);
    }
    if (!engine.limits.info.empty() && engine.program.protocol != Protocol::Pipe) {
      throw UsageError("engine " + engine.label +
                       " is not a pipe engine: it cannot be told --depth, --nodes or "
                       "--engine-option");
    }
    engine.limits.startSeconds = options.startTime;
    if (const auto megabytes = options.maxMemoryMB.For(index))
      engine.limits.memoryBytes = *megabytes << 20;
    plan.engines.push_back(std::move(engine));
  }
  plan.pairing = options.PairingOf();
  plan.games = options.TotalGames();
  plan.share = options.cluster.share;
  plan.drawAfter = options.drawAfter;
  plan.concurrency = options.concurrency;
  plan.pin = options.pin;
  plan.boardSize = options.boardSize;
  plan.rule = options.rule;
  plan.keep = options.keep;
  plan.sprt = options.sprt;
  return plan;
}

// The match's openings. A file of them is read whole here, before anything
// is shown. `source` says where they come from, for people and the events.
OpeningSchedule OpeningsOf(const MatchOptions& options, int boardSize, OpeningsSource& source) {
  const std::uint64_t seed = options.seed.value_or(1);
  source.seed = seed;
  source.symmetries = options.symmetries;
  if (options.openingsFile) {
    std::vector<Opening> list =
        ReadOpeningsFile(*options.openingsFile, options.openingsFormat, boardSize, options.rule);
    source = {OpeningsSource::Kind::File,
              {},
              *options.openingsFile,
              options.openingsFormat,
              options.openingsOrder,
              list.size(),
              OpeningsDigest(list),
              options.symmetries,
              seed};
    return OpeningSchedule::FromList(std::move(list), options.openingsOrder, options.symmetries,
                                     seed, boardSize);
  }
  if (options.RandomOpenings()) {
    source.kind = OpeningsSource::Kind::Random;
    return OpeningSchedule::Random(seed, boardSize);
  }
  source.opening = options.opening.value_or(Opening{});
  return OpeningSchedule::Fixed(source.opening);
}

int PlayMatch(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  const MatchPlan plan = PlanOf(options);
  TerminalSettings settings;
  OpeningsSource source;
  OpeningSchedule openings = OpeningsOf(options, plan.boardSize, source);
  settings.openings = OpeningsLine(source);
  Sinks sinks;
  settings.show = options.ShowOrDefault();
  settings.colour = tools::ColourWanted(tools::kStandardOutput);
  // A person's game keeps the terminal to itself.
  settings.progress =
      plan.games > 1 && tools::IsTerminal(tools::kStandardError) && !options.HasHuman();
  settings.live = std::min(options.concurrency, plan.games) == 1;
  TerminalView terminal(plan, settings, out, err);
  sinks.Add(terminal);
  std::optional<ProtocolLog> log;
  if (options.logFile) sinks.Add(log.emplace(*options.logFile));
  std::optional<RecordFolder> records;
  if (options.recordFolder)
    sinks.Add(records.emplace(*options.recordFolder, plan.games, plan.engines));
  std::optional<SgfFile> sgf;
  if (options.sgfFile) sinks.Add(sgf.emplace(*options.sgfFile, plan.engines));
  std::optional<EventStream> events;
  if (options.eventsFile) sinks.Add(events.emplace(*options.eventsFile, plan, std::move(source)));
  RunMatch(plan, std::move(openings), sinks, err);
  return 0;
}

}  // namespace

int Run(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  try {
    if (options.replayFile) {
      ReplayGame(*options.replayFile, options.replayGame, options.show.value_or(Show::Each),
                 tools::ColourWanted(tools::kStandardOutput), out);
      return 0;
    }
    if (!options.cluster.mergeFiles.empty()) return MergeShardFiles(options, out, err);
    if (options.cluster.slurmShards) {
      PlanOf(options);  // the engines are checked here, before anything is submitted
      return PlayOnSlurm(options, out, err);
    }
    return PlayMatch(options, out, err);
  } catch (const Interrupted&) {
    err << "\nfiverow-match: stopped\n";
    return 1;
  } catch (const RefereeError& failure) {
    err << "fiverow-match: " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace fiverow::match
