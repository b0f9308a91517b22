#include "match/Match.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/CellText.h"
#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "common/Terminal.h"
#include "match/BoardView.h"
#include "match/ChildReaper.h"
#include "match/EngineProcess.h"
#include "match/EngineSpec.h"
#include "match/Record.h"
#include "match/RecordFolder.h"
#include "match/RefereeError.h"
#include "match/StopSignals.h"
#include "match/Summary.h"
#include "match/Workspace.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

// A failed write to standard output ends the match; the folders are removed
// on the way out.
void CheckOutput(std::ostream& out) {
  if (out.flush()) return;
  const int error = errno;
  if (StopRequested()) throw Interrupted();  // the write was interrupted by it
  throw RefereeError(error != 0 ? SystemErrorText("cannot write to standard output", error)
                                : "cannot write to standard output");
}

std::string Milliseconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000.0);
  return text;
}

// "A: COMMAND", with the protocol of a pipe engine unless the command says it.
std::string EngineLine(const std::string& name, const Engine& engine) {
  std::string line = name + ": " + tools::ShownText(engine.command);
  if (engine.protocol == Protocol::Pipe && !engine.command.starts_with("pipe:"))
    line += " (pipe protocol)";
  return line + "\n";
}

// An engine's line, as it is shown: "  x (A) MESSAGE text".
std::string NoteLine(const EngineNote& note, const std::string& label) {
  return "  " + std::string(1, StoneChar(note.side)) + (label.empty() ? "" : " (" + label + ")") +
         " " + std::string(NoteKeyword(note.kind)) + " " + tools::EscapeText(note.text) + "\n";
}

// An engine's output, line by line, escaped.
std::string Indented(const std::string& text, bool cut) {
  std::string shown;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line(text.data() + at, end - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    shown += "    | " + tools::EscapeText(line) + "\n";
    at = end + 1;
  }
  if (cut)
    shown +=
        "    (cut: only the first " + std::to_string(kOutputLimit / 1024) + " KiB are shown)\n";
  return shown;
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
        progress_(options.games > 1 && ::isatty(STDERR_FILENO) == 1 && !options.HasHuman()) {}

  void StartGame(int game, const Position& start) {
    game_ = game;
    moves_ = 0;
    if (show_ == Show::Each && start.StoneCount() > 0) {
      out_ << "game " << game_ << ", opening:\n" << RenderBoard(start, std::nullopt, colour_);
      CheckOutput(out_);
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
           << RenderBoard(position, move, colour_);
      CheckOutput(out_);
    }
    Progress();
  }

  void OnEngineRun(Player player, double seconds) override {
    stats_[player].moveSeconds.push_back(seconds);
  }

  void OnEngineNote(Player player, const EngineNote& note) override {
    if (show_ != Show::Each) return;
    out_ << NoteLine(note, engines_[player].label);
    CheckOutput(out_);
  }

  void EndGame(const Position& start, const GameSetup& setup, const GameResult& result) {
    ClearProgress();
    if (show_ == Show::End) {
      out_ << RenderBoard(moves_ > 0 ? last_ : start,
                          moves_ > 0 ? std::optional(lastMove_) : std::nullopt, colour_);
    }
    out_ << ResultLine(game_, games_, engines_, setup, result);
    if (!result.engineOutput.empty() || result.engineOutputCut)
      out_ << Indented(result.engineOutput, result.engineOutputCut);
    CheckOutput(out_);
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

// At most this much of a record is read: a game record is a few KiB.
constexpr std::size_t kRecordLimit = 1024 * 1024;

}  // namespace

int RunMatch(const MatchOptions& options, std::ostream& out, std::ostream& err) {
  PerPlayer<Engine> engines;
  try {
    const CommandPlace place = ThisCommandPlace();
    for (const Player player : kPlayers) {
      const auto given = static_cast<std::size_t>(player);
      engines[player] =
          ChooseEngine(std::string(1, PlayerLetter(player)),
                       given < options.engineCommands.size() ? options.engineCommands[given]
                                                             : DefaultEngineCommand(place),
                       place);
    }
    std::optional<RecordFolder> records;
    if (options.recordFolder) records.emplace(*options.recordFolder, options.games);

    CatchStopSignals();
    AdoptOrphans();
    const Workspace workspace(options.keep, err);
    if (options.keep)
      err << "fiverow-match: the engines' folders are " << workspace.root() << "/A and /B\n";

    out << EngineLine("A", engines[Player::A]) << EngineLine("B", engines[Player::B]);
    if (options.RandomOpenings())
      out << "random openings, seed " << options.seed.value_or(1) << "\n";
    CheckOutput(out);

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
      const GameResult result = PlayGame(setup, engines, workspace, options.Limits(), view);
      CountGame(stats, setup, result);
      view.EndGame(start, setup, result);
      if (records) records->Write(game, RecordOf(setup, engines, result, options.rule));
    }
    if (options.games > 1) out << "\n" << SummaryTable(engines, stats);
    CheckOutput(out);
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
