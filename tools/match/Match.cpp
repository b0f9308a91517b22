#include "match/Match.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <sstream>

#include "common/CellText.h"
#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "common/Terminal.h"
#include "match/BoardView.h"
#include "match/ChildReaper.h"
#include "match/EngineChoice.h"
#include "match/GamePool.h"
#include "match/GameView.h"
#include "match/Record.h"
#include "match/RecordFolder.h"
#include "match/RefereeError.h"
#include "match/StopSignals.h"
#include "match/Summary.h"
#include "match/Workspace.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

PerPlayer<Engine> ChooseEngines(const MatchOptions& options) {
  PerPlayer<Engine> engines;
  const CommandPlace place = ThisCommandPlace();
  for (const Player player : kPlayers) {
    const auto given = static_cast<std::size_t>(player);
    engines[player] =
        ChooseEngine(std::string(1, PlayerLetter(player)),
                     given < options.engineCommands.size() ? options.engineCommands[given]
                                                           : DefaultEngineCommand(place),
                     place);
  }
  return engines;
}

// "A: COMMAND", with the protocol of a pipe engine unless the command says it.
std::string EngineLine(const std::string& name, const Engine& engine) {
  std::string line = name + ": " + tools::ShownText(engine.command);
  if (engine.protocol == Protocol::Pipe && !engine.command.starts_with("pipe:"))
    line += " (pipe protocol)";
  return line + "\n";
}

// How far the games played at once may run ahead of the first one not yet
// reported, per worker: enough to keep every worker busy through a long
// game, few enough that the output held back stays small.
constexpr int kGamesAheadPerWorker = 8;

// Takes the games in game order: counts them, writes their records, runs the
// SPRT after each pair, keeps the progress line and prints the summary.
class MatchReport {
 public:
  MatchReport(const MatchOptions& options, const PerPlayer<Engine>& engines, std::ostream& out,
              std::ostream& err)
      : options_(options),
        engines_(engines),
        out_(out),
        // A person's game keeps the terminal to itself.
        progress_(options.games > 1 && ::isatty(STDERR_FILENO) == 1 && !options.HasHuman(),
                  options.games, stats_, err) {
    if (options.recordFolder) records_.emplace(*options.recordFolder, options.games);
  }

  ProgressLine& progress() { return progress_; }
  // Once the SPRT has accepted a hypothesis: no further game counts.
  bool Decided() const { return sprt_ && sprt_->decision != SprtDecision::Continue; }

  void Add(const PlayedGame& played) {
    CountGame(stats_, played.setup, played.result);
    for (const Player player : kPlayers) {
      std::vector<double>& all = stats_[player].moveSeconds;
      all.insert(all.end(), played.moveSeconds[player].begin(), played.moveSeconds[player].end());
    }
    tally_.Add(OutcomeOfA(played.setup, played.result));
    if (records_)
      records_->Write(played.game, RecordOf(played.setup, engines_, played.result, options_.rule));
    if (options_.sprt && played.game % 2 == 0) {
      sprt_ = EvaluateSprt(*options_.sprt, tally_);
      out_ << SprtLine(*options_.sprt, *sprt_) << "\n";
      CheckOutput(out_);
    }
  }

  void Summary() {
    if (options_.games > 1) out_ << "\n" << MatchSummary(engines_, stats_, tally_);
    if (options_.sprt) {
      const std::string played = std::to_string(tally_.Games());
      if (Decided()) {
        out_ << "SPRT: " << (sprt_->decision == SprtDecision::AcceptH1 ? "H1" : "H0")
             << " accepted after " << played << " of at most " << options_.games << " games\n";
      } else {
        out_ << "SPRT: no decision after " << played << " games\n";
      }
    }
    CheckOutput(out_);
  }

 private:
  const MatchOptions& options_;
  const PerPlayer<Engine>& engines_;
  std::ostream& out_;
  PerPlayer<EngineStats> stats_;
  RatingTally tally_;
  std::optional<SprtState> sprt_;
  ProgressLine progress_;
  std::optional<RecordFolder> records_;
};

// At most this much of a record is read: a game record is a few KiB.
constexpr std::size_t kRecordLimit = 1024 * 1024;

}  // namespace

int RunMatch(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  try {
    const PerPlayer<Engine> engines = ChooseEngines(options);
    MatchReport report(options, engines, out, err);

    CatchStopSignals();
    AdoptOrphans();
    // Each game played at once has folders of its own, made afresh for
    // every game.
    const int workers = std::min(options.concurrency, options.games);
    std::deque<Workspace> workspaces;
    for (int slot = 0; slot < workers; ++slot) {
      const Workspace& workspace = workspaces.emplace_back(options.keep, err);
      if (options.keep)
        err << "fiverow-match: the engines' folders are " << workspace.root() << "/A and /B\n";
    }

    out << EngineLine("A", engines[Player::A]) << EngineLine("B", engines[Player::B]);
    if (options.RandomOpenings())
      out << "random openings, seed " << options.seed.value_or(1) << "\n";
    CheckOutput(out);

    const Show show = options.ShowOrDefault();
    const bool colour = tools::ColourWanted(STDOUT_FILENO);
    const auto play = [&](int game, const GameSetup& setup, const Workspace& workspace,
                          std::ostream& shown, ProgressLine* live) {
      workspace.ClearFolders();
      GameView view(show, colour, options.games, engines, shown, live);
      view.Start(game, StartPosition(setup.opening));
      PlayedGame played;
      played.game = game;
      played.setup = setup;
      played.result = PlayGame(setup, engines, workspace, options.Limits(), view);
      view.End(setup, played.result);
      played.moveSeconds = std::move(view.moveSeconds());
      return played;
    };
    // Called in game order: each opening is played twice, A playing x first.
    OpeningSource openings(options.seed.value_or(1));
    Opening opening = options.opening.value_or(Opening{});
    const auto setupOf = [&](int game) {
      if (options.RandomOpenings() && game % 2 == 1) opening = openings.Next();
      return GameSetup{opening, game % 2 == 1 ? Player::A : Player::B};
    };

    if (workers == 1) {
      // One game at a time, shown live.
      for (int game = 1; game <= options.games && !report.Decided(); ++game) {
        if (StopRequested()) throw Interrupted();
        report.Add(play(game, setupOf(game), workspaces.front(), out, &report.progress()));
      }
    } else {
      GamePool pool(workers, [&](int game, const GameSetup& setup, int slot) {
        std::ostringstream shown;
        PlayedGame played =
            play(game, setup, workspaces[static_cast<std::size_t>(slot)], shown, nullptr);
        played.shown = std::move(shown).str();
        return played;
      });
      int added = 0;
      for (int game = 1; game <= options.games && !report.Decided(); ++game) {
        while (added < options.games && added < game + kGamesAheadPerWorker * workers) {
          ++added;
          pool.Add(added, setupOf(added));
        }
        report.progress().ShowGames(game - 1, pool.Running());
        PlayedGame played = pool.Take(game);
        if (StopRequested()) throw Interrupted();
        if (played.failure) std::rethrow_exception(played.failure);
        report.progress().Clear();
        out << played.shown;
        CheckOutput(out);
        report.Add(played);
      }
      // Games beyond the one that decided the SPRT end unreported.
      pool.Stop();
      report.progress().Clear();
    }
    report.Summary();
    return 0;
  } catch (const Interrupted&) {
    err << "\nfiverow-match: stopped\n";
    return 1;
  } catch (const RefereeError& failure) {
    err << "fiverow-match: " << failure.what() << "\n";
    return 1;
  }
}

int ReplayGame(const std::string& file, Show show, std::ostream& out, std::ostream& err) {
  const tools::FileRead read = tools::ReadRegularFile(AT_FDCWD, file.c_str(), kRecordLimit, true);
  const std::string shownFile = tools::ShownText(file);
  std::string error;
  std::optional<GameRecord> record;
  if (read.error != 0) {
    error = SystemErrorText("cannot read " + shownFile, read.error);
  } else if (read.notRegular) {
    error = shownFile + " is not a regular file";
  } else if (read.cut) {
    error = shownFile + " is over " + std::to_string(kRecordLimit / 1024) +
            " KiB, too large for a game record";
  } else if (!(record = ParseRecord(read.bytes, error))) {
    error = shownFile + ": " + error;
  }
  if (!record) {
    err << "fiverow-match: " << error << "\n";
    return 1;
  }
  const bool colour = tools::ColourWanted(STDOUT_FILENO);
  out << EngineLine("x", {"", record->xCommand, {}, record->protocols[Side::X]})
      << EngineLine("o", {"", record->oCommand, {}, record->protocols[Side::O]});
  if (record->rule == Rule::Standard) out << "rule: standard\n";
  out << "opening: " << OpeningText(record->opening) << "\n";
  Position position = StartPosition(record->opening);
  if (show == Show::Each && position.StoneCount() > 0)
    out << RenderBoard(position, std::nullopt, colour);
  std::optional<Move> last;
  std::size_t note = 0;
  for (std::size_t i = 0; i <= record->moves.size(); ++i) {
    for (; note < record->notes.size() && record->notes[note].beforeMove <= i; ++note) {
      if (show == Show::Each) out << NoteLine(record->notes[note], "");
    }
    if (i == record->moves.size()) break;
    const Side side = SideToMove(position);
    last = record->moves[i];
    position.Place(*last, side);
    if (show == Show::Each) {
      out << "move " << i + 1 << ": " << StoneChar(side) << " " << tools::CellText(*last) << "\n"
          << RenderBoard(position, last, colour);
    }
  }
  if (show == Show::End) out << RenderBoard(position, last, colour);
  out << "result: " << ResultText(record->winner) << ": " << tools::ShownText(record->reason)
      << " after " << MovesText(record->moves.size()) << "\n";
  try {
    CheckOutput(out);
  } catch (const RefereeError& failure) {
    err << "fiverow-match: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace fiverow::match
