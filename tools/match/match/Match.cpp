#include "match/Match.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <ostream>

#include "game/Game.h"
#include "match/Seats.h"
#include "match/WorkerPool.h"
#include "process/CpuPin.h"
#include "process/EngineSetup.h"
#include "process/FileLimit.h"
#include "process/RefereeError.h"
#include "process/StopSignals.h"
#include "process/Workspace.h"

namespace fiverow::match {

std::string EngineLabel(EngineIndex engine) {
  std::string label;
  for (EngineIndex left = engine + 1; left > 0; left = (left - 1) / 26)
    label.insert(label.begin(), static_cast<char>('A' + (left - 1) % 26));
  return label;
}

std::optional<EngineIndex> EngineNamed(std::string_view label) {
  if (label.empty() || label.size() > 3) return std::nullopt;
  EngineIndex number = 0;
  for (const char c : label) {
    if (c < 'A' || c > 'Z') return std::nullopt;
    number = number * 26 + static_cast<EngineIndex>(c - 'A' + 1);
  }
  return number - 1;
}

namespace {

// How far the games played at once may run ahead of the first one not yet
// reported, per worker: enough to keep every worker busy through a long
// game, few enough that the output held back stays small.
constexpr int kGamesAheadPerWorker = 8;

struct NoEvents final : GameEvents {};

GameResult PlayOne(const MatchPlan& plan, const GameSetup& setup, Seats& seats, MatchSink& sinks) {
  GameTerms terms;
  terms.boardSize = plan.boardSize;
  terms.rule = plan.rule;
  terms.opening = setup.opening;
  terms.drawAfter = plan.drawAfter;
  const PerSide<Contestant*> players = seats.For(setup);
  for (const Side side : kSides) {
    const MatchEngine& engine = plan.engines[setup.engines[side]];
    terms.sides[side] = {engine.label, players[side], engine.time};
  }
  std::unique_ptr<GameEvents> events = sinks.GameStarted(setup);
  NoEvents none;
  return PlayGame(terms, events ? *events : none);
}

}  // namespace

bool ReportGame(const MatchPlan& plan, const PlayedGame& played, Standings& standings,
                MatchSink& sinks) {
  standings.Add(played);
  sinks.GameEnded(played, standings);
  if (!plan.sprt || !plan.share.Whole() || played.setup.game % 2 != 0) return false;
  const SprtState sprt = EvaluateSprt(*plan.sprt, standings.tally());
  sinks.SprtUpdated(*plan.sprt, sprt);
  return sprt.decision != SprtDecision::Continue;
}

namespace {

// The match, reported into `standings`; every engine ended and every folder
// removed when it returns or throws.
void PlayGames(const MatchPlan& plan, OpeningSchedule openings, MatchSink& sinks, std::ostream& err,
               Standings& standings) {
  const std::vector<int> games = plan.share.GamesOf(plan.games);
  const int workers = std::max(
      1, std::min(plan.concurrency, static_cast<int>(std::max<std::size_t>(games.size(), 1))));
  if (const std::uint64_t limit = RaiseOpenFileLimit(); limit < OpenFilesNeeded(workers)) {
    throw RefereeError("playing " + std::to_string(workers) + " games at once needs about " +
                       std::to_string(OpenFilesNeeded(workers)) + " open files, but the limit is " +
                       std::to_string(limit) +
                       " (ulimit -n): play fewer at once, or raise the limit");
  }
  CatchStopSignals();
  PrepareForEngines(
      std::any_of(plan.engines.begin(), plan.engines.end(),
                  [](const MatchEngine& engine) { return engine.limits.memoryBytes.has_value(); }));
  std::vector<std::string> folders;
  for (const MatchEngine& engine : plan.engines) folders.push_back(engine.label);
  // Each game played at once has folders and players of its own, kept from
  // one game to the next.
  std::deque<Workspace> workspaces;
  for (int slot = 0; slot < workers; ++slot) {
    const Workspace& workspace = workspaces.emplace_back(folders, plan.keep, err);
    if (plan.keep) {
      err << "fiverow-match: the engines' folders are in " << workspace.root() << "\n";
    }
  }

  sinks.MatchStarted();
  std::deque<Seats> seats;
  for (const Workspace& workspace : workspaces) seats.emplace_back(plan, workspace, sinks);
  Schedule schedule(plan.pairing, std::move(openings));
  WorkerPool pool(workers, [&](const GameSetup& setup, int slot) {
    // A slot's engines start on its thread, so they are held with it.
    std::optional<CpuPin> pin;
    if (plan.pin) pin.emplace(slot);
    return PlayOne(plan, setup, seats[static_cast<std::size_t>(slot)], sinks);
  });
  std::size_t added = 0;
  bool decided = false;
  const std::size_t ahead = static_cast<std::size_t>(kGamesAheadPerWorker * workers);
  for (std::size_t taken = 0; taken < games.size() && !decided; ++taken) {
    while (added < games.size() && added < taken + 1 + ahead) pool.Add(schedule.At(games[added++]));
    if (workers > 1) sinks.Waiting(static_cast<int>(taken), pool.Running());
    WorkerPool::Outcome outcome = pool.Take(games[taken]);
    if (StopRequested()) throw Interrupted();
    if (outcome.failure) std::rethrow_exception(outcome.failure);
    decided = ReportGame(plan, outcome.played, standings, sinks);
  }
  // Games beyond the one that decided the SPRT end unreported.
  pool.Stop();
  for (Seats& slot : seats) slot.CloseAll();
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), kEndSeconds);
  std::vector<RestartCounts> restarts(plan.engines.size());
  for (Seats& slot : seats) {
    slot.AwaitAll(deadline);
    const std::vector<RestartCounts>& counted = slot.Restarts();
    for (std::size_t engine = 0; engine < restarts.size(); ++engine) {
      for (const auto& [fault, count] : counted[engine]) restarts[engine][fault] += count;
    }
  }
  for (EngineIndex engine = 0; engine < restarts.size(); ++engine)
    standings.SetRestarts(engine, restarts[engine]);
}

}  // namespace

void RunMatch(const MatchPlan& plan, OpeningSchedule openings, MatchSink& sinks,
              std::ostream& err) {
  Standings standings(plan.engines.size());
  try {
    PlayGames(plan, std::move(openings), sinks, err, standings);
  } catch (const Interrupted&) {
    sinks.MatchStopped(standings);
    throw;
  }
  sinks.MatchEnded(standings);
}

}  // namespace fiverow::match
