#include "match/Match.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common/CellText.h"
#include "common/Terminal.h"
#include "match/BoardView.h"
#include "match/EngineCommand.h"
#include "match/EngineProcess.h"
#include "match/Record.h"
#include "match/RefereeError.h"
#include "match/Summary.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

std::string DefaultEngine() {
  const std::string self = OwnExecutablePath();
  const std::size_t slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/fiverow";
}

std::string CurrentFolder() {
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) {
    throw RefereeError(SystemErrorText("cannot tell the current folder", errno));
  }
  return buffer;
}

std::string Milliseconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000.0);
  return text;
}

std::string Indented(const std::string& text) {
  std::string shown;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    shown += "    | " + line + "\n";
  }
  return shown;
}

void MakeRecordFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) == 0) return;
  struct stat info {};
  if (errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return;
  throw RefereeError(SystemErrorText("cannot create the record folder " + folder, errno));
}

std::string RecordPath(const std::string& folder, int game) {
  char name[32];
  std::snprintf(name, sizeof name, "game-%03d.txt", game);
  return folder + "/" + name;
}

// Shows moves as they are played and keeps the progress line up to date.
class MatchView final : public GameObserver {
 public:
  MatchView(const MatchOptions& options, const PerPlayer<Engine>& engines,
            PerPlayer<EngineStats>& stats, std::ostream& out, std::ostream& err)
      : show_(options.ShowOrDefault()),
        games_(options.games),
        engines_(engines),
        stats_(stats),
        out_(out),
        err_(err),
        colour_(tools::ColourWanted(STDOUT_FILENO)),
        progress_(options.games > 1 && ::isatty(STDERR_FILENO) == 1) {}

  void StartGame(int game, const Position& start) {
    game_ = game;
    moves_ = 0;
    if (show_ == Show::Each && start.StoneCount() > 0) {
      out_ << "game " << game_ << ", opening:\n"
           << RenderBoard(start, std::nullopt, colour_) << std::flush;
    }
    Progress();
  }

  void OnMove(const Position& position, Move move, Side side, Player player,
              double seconds) override {
    ++moves_;
    last_ = position;
    lastMove_ = move;
    if (show_ == Show::Each) {
      out_ << "move " << moves_ << ": " << StoneChar(side) << " (" << engines_[player].label << ") "
           << tools::CellText(move) << " in " << Milliseconds(seconds) << "\n"
           << RenderBoard(position, move, colour_) << std::flush;
    }
    Progress();
  }

  void OnEngineRun(Player player, double seconds) override {
    stats_[player].moveSeconds.push_back(seconds);
  }

  void EndGame(const Position& start, const GameSetup& setup, const GameResult& result) {
    ClearProgress();
    if (show_ == Show::End) {
      out_ << RenderBoard(moves_ > 0 ? last_ : start,
                          moves_ > 0 ? std::optional(lastMove_) : std::nullopt, colour_);
    }
    out_ << ResultLine(game_, games_, engines_, setup, result);
    if (!result.engineOutput.empty()) out_ << Indented(result.engineOutput);
    out_ << std::flush;
  }

  void ClearProgress() {
    if (progress_) err_ << "\r\033[K" << std::flush;
  }

 private:
  void Progress() {
    if (!progress_) return;
    err_ << "\r\033[Kgame " << game_ << " of " << games_ << ", move " << moves_ << "  (A "
         << stats_[Player::A].wins << ", B " << stats_[Player::B].wins << ", draws "
         << stats_[Player::A].draws << ")" << std::flush;
  }

  Show show_;
  int games_;
  const PerPlayer<Engine>& engines_;
  PerPlayer<EngineStats>& stats_;
  std::ostream& out_;
  std::ostream& err_;
  bool colour_;
  bool progress_;
  int game_ = 0;
  int moves_ = 0;
  Position last_;
  Move lastMove_{};
};

Position StartPosition(const Opening& opening) {
  Position position;
  for (const Move cell : opening)
    position.Place(cell, position.StoneCount() % 2 == 0 ? Side::X : Side::O);
  return position;
}

}  // namespace

int RunMatch(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  PerPlayer<Engine> engines;
  try {
    const std::string here = CurrentFolder();
    for (const Player player : kPlayers) {
      Engine& engine = engines[player];
      const auto given = static_cast<std::size_t>(player);
      engine.label = std::string(1, PlayerLetter(player));
      engine.command =
          given < options.engineCommands.size() ? options.engineCommands[given] : DefaultEngine();
      std::string error;
      const auto words = SplitCommandLine(engine.command, error);
      if (!words) throw UsageError(error);
      engine.argv = AnchorPaths(*words, here);
    }
    if (options.recordFolder) MakeRecordFolder(*options.recordFolder);

    CatchStopSignals();
    const Workspace workspace(options.keep);
    if (options.keep)
      err << "fiverow-match: the engines' folders are " << workspace.root() << "/A and /B\n";

    out << "A: " << engines[Player::A].command << "\nB: " << engines[Player::B].command << "\n";
    if (options.RandomOpenings())
      out << "random openings, seed " << options.seed.value_or(1) << "\n";
    out << std::flush;

    PerPlayer<EngineStats> stats;
    MatchView view(options, engines, stats, out, err);
    OpeningSource openings(options.seed.value_or(1));
    Opening opening = options.opening.value_or(Opening{});
    for (int game = 1; game <= options.games; ++game) {
      if (StopRequested()) throw Interrupted();
      GameSetup setup;
      if (options.RandomOpenings() && game % 2 == 1) opening = openings.Next();
      setup.opening = opening;
      setup.xPlayer = game % 2 == 1 ? Player::A : Player::B;
      const Position start = StartPosition(setup.opening);
      view.StartGame(game, start);
      const GameResult result = PlayGame(setup, engines, workspace, options.timeLimit, view);
      CountGame(stats, setup, result);
      view.EndGame(start, setup, result);

      if (options.recordFolder) {
        GameRecord record{engines[PlayerOf(setup, Side::X)].command,
                          engines[PlayerOf(setup, Side::O)].command,
                          setup.opening,
                          result.winner,
                          result.reason,
                          result.moves};
        const std::string path = RecordPath(*options.recordFolder, game);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << FormatRecord(record);
        file.close();
        if (!file) throw RefereeError("cannot write the game record " + path);
      }
    }
    if (options.games > 1) out << "\n" << SummaryTable(engines, stats) << std::flush;
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
  std::ifstream input(file, std::ios::binary);
  std::ostringstream text;
  if (input.is_open()) text << input.rdbuf();
  if (!input.is_open() || input.bad()) {
    err << "fiverow-match: cannot read " << file << "\n";
    return 1;
  }
  std::string error;
  const auto record = ParseRecord(text.str(), error);
  if (!record) {
    err << "fiverow-match: " << file << ": " << error << "\n";
    return 1;
  }
  const bool colour = tools::ColourWanted(STDOUT_FILENO);
  out << "x: " << record->xCommand << "\no: " << record->oCommand
      << "\nopening: " << OpeningText(record->opening) << "\n";
  Position position = StartPosition(record->opening);
  if (show == Show::Each && position.StoneCount() > 0)
    out << RenderBoard(position, std::nullopt, colour);
  std::optional<Move> last;
  for (std::size_t i = 0; i < record->moves.size(); ++i) {
    const Side side = position.StoneCount() % 2 == 0 ? Side::X : Side::O;
    last = record->moves[i];
    position.Place(*last, side);
    if (show == Show::Each) {
      out << "move " << i + 1 << ": " << StoneChar(side) << " " << tools::CellText(*last) << "\n"
          << RenderBoard(position, last, colour);
    }
  }
  if (show == Show::End) out << RenderBoard(position, last, colour);
  out << "result: " << ResultText(record->winner) << ": " << record->reason << " after "
      << MovesText(record->moves.size()) << "\n";
  return 0;
}

}  // namespace fiverow::match
