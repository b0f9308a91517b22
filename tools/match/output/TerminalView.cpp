#include "output/TerminalView.h"

#include <ostream>
#include <sstream>

#include "common/EscapedText.h"
#include "game/BoardText.h"
#include "output/GameText.h"
#include "output/NumberText.h"
#include "output/RatingText.h"
#include "output/TournamentText.h"
#include "process/OutputCheck.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

namespace {

// The score so far for the progress line: "(A 3, B 2, draws 1)" for two
// engines, each engine's points for more.
std::string ScoreText(const std::vector<MatchEngine>& engines, const Standings& standings) {
  const auto& stats = standings.engines();
  if (engines.size() == 2) {
    return "(A " + std::to_string(stats[0].wins) + ", B " + std::to_string(stats[1].wins) +
           ", draws " + std::to_string(stats[0].draws) + ")";
  }
  std::string text = "(";
  for (std::size_t i = 0; i < engines.size(); ++i) {
    if (i > 0) text += ", ";
    text += engines[i].label + " " + ShortText(standings.crosstable().Points(i));
  }
  return text + ")";
}

}  // namespace

// One game as it is played: live onto the terminal, or held back.
class TerminalView::GameView final : public GameEvents {
 public:
  GameView(TerminalView& view, const GameSetup& setup) : view_(view), setup_(setup) {
    const Position start = StartPosition(setup.opening, view.plan_.boardSize);
    if (view.settings_.show == Show::Each && start.StoneCount() > 0) {
      Write("game " + std::to_string(setup.game) + ", opening:\n" +
            RenderBoard(start, std::nullopt, view.settings_.colour));
    }
    Progress();
  }

  void OnMove(const Position& position, Move move, Side side, double seconds) override {
    ++moves_;
    if (view_.settings_.show == Show::Each) {
      Write("move " + std::to_string(moves_) + ": " + StoneChar(side) + " (" + Label(side) + ") " +
            protocol::CellText(move) + " in " + MillisecondsText(seconds) + "\n" +
            RenderBoard(position, move, view_.settings_.colour));
    }
    Progress();
  }

  void OnNote(const EngineNote& note) override {
    if (view_.settings_.show == Show::Each) Write(NoteLine(note, Label(note.side)));
  }

  ~GameView() override {
    if (view_.settings_.live) return;
    const std::lock_guard lock(view_.heldMutex_);
    view_.held_[setup_.game] = std::move(held_).str();
  }

 private:
  const std::string& Label(Side side) const {
    return view_.plan_.engines[setup_.engines[side]].label;
  }
  void Write(const std::string& text) {
    if (view_.settings_.live) {
      view_.Write(text);
    } else {
      held_ << text;
    }
  }
  void Progress() {
    if (view_.settings_.live) {
      view_.ShowProgress("game " + std::to_string(setup_.game) + " of " +
                         std::to_string(view_.plan_.games) + ", move " + std::to_string(moves_));
    }
  }

  TerminalView& view_;
  GameSetup setup_;
  int moves_ = 0;
  std::ostringstream held_;
};

TerminalView::TerminalView(const MatchPlan& plan, TerminalSettings settings, std::ostream& out,
                           std::ostream& err)
    : plan_(plan), settings_(std::move(settings)), out_(out), err_(err) {
  score_ = ScoreText(plan_.engines, Standings(plan_.engines.size()));
}

void TerminalView::MatchStarted() {
  std::string header;
  for (const MatchEngine& engine : plan_.engines)
    header += EngineLine(engine.label, engine.program);
  if (plan_.boardSize != kStandardBoardSize) {
    header += "board: " + std::to_string(plan_.boardSize) + " x " +
              std::to_string(plan_.boardSize) + "\n";
  }
  if (!settings_.openings.empty()) header += settings_.openings + "\n";
  Write(header);
}

std::unique_ptr<GameEvents> TerminalView::GameStarted(const GameSetup& setup) {
  return std::make_unique<GameView>(*this, setup);
}

void TerminalView::Waiting(int done, int running) {
  ShowProgress("games " + std::to_string(done) + " of " + std::to_string(plan_.games) + " done, " +
               std::to_string(running) + " running");
}

void TerminalView::GameEnded(const PlayedGame& played, const Standings& standings) {
  const GameResult& result = played.result;
  std::string text;
  {
    const std::lock_guard lock(heldMutex_);
    if (const auto held = held_.find(played.setup.game); held != held_.end()) {
      text = std::move(held->second);
      held_.erase(held);
    }
  }
  if (settings_.show == Show::End) {
    Position position = StartPosition(result.opening, result.boardSize);
    for (const Move move : result.moves) position.Place(move, SideToMove(position));
    const std::optional<Move> last =
        result.moves.empty() ? std::nullopt : std::optional(result.moves.back());
    text += RenderBoard(position, last, settings_.colour);
  }
  PerSide<std::string> labels;
  for (const Side side : kSides) labels[side] = plan_.engines[played.setup.engines[side]].label;
  text += ResultLine(played.setup.game, plan_.games, labels, result);
  if (!result.engineOutput.empty() || result.engineOutputCut)
    text += EngineOutputText(result.engineOutput, result.engineOutputCut);
  Write(text);
  score_ = ScoreText(plan_.engines, standings);
}

void TerminalView::SprtUpdated(const SprtParameters& parameters, const SprtState& state) {
  sprt_ = state;
  Write(SprtLine(parameters, state) + "\n");
}

void TerminalView::MatchEnded(const Standings& standings) {
  ClearProgress();
  std::string text;
  if (plan_.engines.size() > 2) {
    text += '\n';
    text += TournamentSummary(plan_.engines, standings);
  } else if (plan_.games > 1) {
    text += '\n';
    text += MatchSummary(plan_.engines, standings);
  }
  // A share of the games leaves the test to their merge.
  if (plan_.sprt && plan_.share.Whole()) {
    const std::string played = std::to_string(standings.tally().Games());
    if (sprt_ && sprt_->decision != SprtDecision::Continue) {
      text += std::string("SPRT: ") + (sprt_->decision == SprtDecision::AcceptH1 ? "H1" : "H0") +
              " accepted after " + played + " of at most " + std::to_string(plan_.games) +
              " games\n";
    } else {
      text += "SPRT: no decision after " + played + " games\n";
    }
  }
  Write(text);
}

void TerminalView::MatchStopped(const Standings& standings) {
  if (standings.tally().Games() > 0) MatchEnded(standings);
}

void TerminalView::Write(const std::string& text) {
  if (text.empty()) return;
  ClearProgress();
  out_ << text;
  CheckOutput(out_);
}

void TerminalView::ShowProgress(const std::string& state) {
  if (!settings_.progress) return;
  err_ << "\r\033[K" << state << "  " << score_ << std::flush;
  progressShown_ = true;
}

void TerminalView::ClearProgress() {
  if (!progressShown_) return;
  err_ << "\r\033[K" << std::flush;
  progressShown_ = false;
}

}  // namespace fiverow::match
