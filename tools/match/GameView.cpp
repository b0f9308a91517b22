#include "match/GameView.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <ostream>
#include <string>

#include "common/CellText.h"
#include "common/EscapedText.h"
#include "match/BoardView.h"
#include "match/EngineProcess.h"
#include "match/Record.h"
#include "match/RefereeError.h"
#include "match/StopSignals.h"

namespace fiverow::match {

namespace {

std::string Milliseconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000.0);
  return text;
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

}  // namespace

std::string NoteLine(const EngineNote& note, const std::string& label) {
  return "  " + std::string(1, StoneChar(note.side)) + (label.empty() ? "" : " (" + label + ")") +
         " " + std::string(NoteKeyword(note.kind)) + " " + tools::EscapeText(note.text) + "\n";
}

void CheckOutput(std::ostream& out) {
  if (out.flush()) return;
  const int error = errno;
  if (StopRequested()) throw Interrupted();  // the write was interrupted by it
  throw RefereeError(error != 0 ? SystemErrorText("cannot write to standard output", error)
                                : "cannot write to standard output");
}

ProgressLine::ProgressLine(bool shown, int games, const PerPlayer<EngineStats>& score,
                           std::ostream& err)
    : games_(games), score_(score), err_(err), shown_(shown) {}

void ProgressLine::ShowMove(int game, int moves) {
  Show("game " + std::to_string(game) + " of " + std::to_string(games_) + ", move " +
       std::to_string(moves));
}

void ProgressLine::ShowGames(int done, int running) {
  Show("games " + std::to_string(done) + " of " + std::to_string(games_) + " done, " +
       std::to_string(running) + " running");
}

void ProgressLine::Show(const std::string& state) {
  if (!shown_) return;
  err_ << "\r\033[K" << state << "  (A " << score_[Player::A].wins << ", B "
       << score_[Player::B].wins << ", draws " << score_[Player::A].draws << ")" << std::flush;
}

void ProgressLine::Clear() {
  if (shown_) err_ << "\r\033[K" << std::flush;
}

GameView::GameView(Show show, bool colour, int games, const PerPlayer<Engine>& engines,
                   std::ostream& out, ProgressLine* progress)
    : show_(show),
      colour_(colour),
      games_(games),
      engines_(engines),
      out_(out),
      progress_(progress) {}

void GameView::Start(int game, const Position& start) {
  game_ = game;
  last_ = start;
  if (show_ == Show::Each && start.StoneCount() > 0) {
    out_ << "game " << game_ << ", opening:\n" << RenderBoard(start, std::nullopt, colour_);
    CheckOutput(out_);
  }
  if (progress_ != nullptr) progress_->ShowMove(game_, moves_);
}

void GameView::OnMove(const Position& position, Move move, Side side, Player player,
                      double seconds) {
  ++moves_;
  last_ = position;
  lastMove_ = move;
  if (show_ == Show::Each) {
    out_ << "move " << moves_ << ": " << StoneChar(side) << " (" << engines_[player].label << ") "
         << tools::CellText(move) << " in " << Milliseconds(seconds) << "\n"
         << RenderBoard(position, move, colour_);
    CheckOutput(out_);
  }
  if (progress_ != nullptr) progress_->ShowMove(game_, moves_);
}

void GameView::OnEngineRun(Player player, double seconds) {
  moveSeconds_[player].push_back(seconds);
}

void GameView::OnEngineNote(Player player, const EngineNote& note) {
  if (show_ != Show::Each) return;
  out_ << NoteLine(note, engines_[player].label);
  CheckOutput(out_);
}

void GameView::End(const GameSetup& setup, const GameResult& result) {
  if (progress_ != nullptr) progress_->Clear();
  if (show_ == Show::End) out_ << RenderBoard(last_, lastMove_, colour_);
  out_ << ResultLine(game_, games_, engines_, setup, result);
  if (!result.engineOutput.empty() || result.engineOutputCut)
    out_ << Indented(result.engineOutput, result.engineOutputCut);
  CheckOutput(out_);
}

}  // namespace fiverow::match
