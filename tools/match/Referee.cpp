#include "match/Referee.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "common/CellText.h"
#include "common/EscapedText.h"
#include "match/Contestant.h"
#include "match/Workspace.h"

namespace fiverow::match {

namespace {

// A line end after the move is forgiven; everything else must be exact.
std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

}  // namespace

MoveVerdict JudgeMoveText(const MoveFile& file, const Position& position) {
  MoveVerdict verdict;
  if (!file.problem.empty()) {
    verdict.reason = file.problem;
    return verdict;
  }
  const auto move = file.cut ? std::nullopt : tools::ParseCell(WithoutLineEnd(file.text));
  if (!move) {
    verdict.reason =
        "wrote " + tools::QuotedText(file.text, file.cut) + " instead of a move x,y in 0..19";
    return verdict;
  }
  if (!position.IsEmpty(*move)) {
    verdict.fault = Ending::Occupied;
    verdict.reason = "played " + tools::CellText(*move) + ", an occupied cell";
    return verdict;
  }
  verdict.move = move;
  return verdict;
}

namespace {

// One game: its players, their clocks, and what they said.
class Game {
 public:
  Game(const GameSetup& setup, const PerPlayer<Engine>& engines, const Workspace& workspace,
       const GameLimits& limits, GameObserver& observer)
      : setup_(setup), engines_(engines), limits_(limits), observer_(observer) {
    for (const Side side : {Side::X, Side::O}) {
      const Player player = PlayerOf(setup, side);
      players_[side] = MakeContestant(
          engines[player], player, workspace, limits,
          [this, side](NoteKind kind, std::string_view text) { Note(side, kind, text); });
      timeLeft_[side] = limits.matchSeconds;
    }
  }

  GameResult Play();
  // Tells both players the game is over, then gives them a second together
  // to end.
  void End();

 private:
  GameResult Lose(Side loser, Ending ending, const std::string& reason);
  GameResult Crash(Side loser, const Answer& answer);
  // The time limit of one move: infinity for none. A person is timed only by
  // a limit that was asked for.
  double TurnLimit(Side side) const;
  void Note(Side side, NoteKind kind, std::string_view text);

  const GameSetup& setup_;
  const PerPlayer<Engine>& engines_;
  const GameLimits& limits_;
  GameObserver& observer_;
  PerSide<std::unique_ptr<Contestant>> players_;
  PerSide<std::optional<double>> timeLeft_;
  PerSide<std::size_t> noteBytes_{};
  GameResult result_;
};

GameResult Game::Play() {
  Position position = StartPosition(setup_.opening);
  std::vector<Move> stones = setup_.opening;
  std::optional<Move> last;
  PerSide<bool> started{};
  Side side = SideToMove(position);
  while (!position.IsFull()) {
    Contestant& mover = *players_[side];
    if (!started[side]) {
      started[side] = true;
      if (const std::optional<Answer> failure = mover.StartGame()) return Crash(side, *failure);
    }
    const double turnLimit = TurnLimit(side);
    const std::optional<double> clock = timeLeft_[side];
    const double limit = clock ? std::min(turnLimit, *clock) : turnLimit;
    mover.Resume();
    const Answer answer = mover.Play({position, stones, side, last, limit, clock});
    mover.Pause();
    const Player player = PlayerOf(setup_, side);
    observer_.OnEngineRun(player, answer.seconds);
    if (clock) timeLeft_[side] = std::max(0.0, *clock - answer.seconds);

    if (!answer.move && answer.fault == Ending::TimeOut) {
      return Lose(side, Ending::TimeOut,
                  clock && *clock < turnLimit
                      ? "ran out of its match time of " + SecondsText(*limits_.matchSeconds)
                      : "ran over the time limit of " + SecondsText(limit));
    }
    if (!answer.move) return Crash(side, answer);
    const Move move = *answer.move;
    if (!position.IsEmpty(move))
      return Lose(side, Ending::Occupied, "played " + tools::CellText(move) + ", an occupied cell");

    position.Place(move, side);
    stones.push_back(move);
    result_.moves.push_back(move);
    observer_.OnMove(position, move, side, player, answer.seconds);
    if (position.Wins(move, limits_.rule)) {
      const int length = position.LongestLineThrough(move);
      const bool five = length == kWinLength || limits_.rule == Rule::Standard;
      result_.winner = side;
      result_.ending = Ending::Five;
      result_.reason = engines_[player].label + " (" + StoneChar(side) + ") made " +
                       (five ? std::string("five") : std::to_string(length)) + " in a row with " +
                       tools::CellText(move);
      return result_;
    }
    last = move;
    side = Opponent(side);
  }
  result_.ending = Ending::BoardFull;
  result_.reason = "the board is full";
  return result_;
}

void Game::End() {
  for (auto& player : players_) player->EndGame();
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), kEndSeconds);
  for (auto& player : players_) player->AwaitEnd(deadline);
}

GameResult Game::Lose(Side loser, Ending ending, const std::string& reason) {
  result_.winner = Opponent(loser);
  result_.ending = ending;
  result_.reason =
      engines_[PlayerOf(setup_, loser)].label + " (" + StoneChar(loser) + ") " + reason;
  return result_;
}

GameResult Game::Crash(Side loser, const Answer& answer) {
  result_.engineOutput = answer.output;
  result_.engineOutputCut = answer.outputCut;
  return Lose(loser, answer.fault, answer.reason);
}

double Game::TurnLimit(Side side) const {
  const bool person = engines_[PlayerOf(setup_, side)].protocol == Protocol::Human;
  return person && !limits_.moveLimitGiven ? std::numeric_limits<double>::infinity()
                                           : limits_.moveSeconds;
}

void Game::Note(Side side, NoteKind kind, std::string_view text) {
  // Kept up to a bound per engine, so that the record stays small; the first
  // line over it says so.
  std::size_t& kept = noteBytes_[side];
  if (kept > kNoteBytes) return;
  EngineNote note{result_.moves.size(), side, kind, std::string(text)};
  kept += text.size() + 1;
  if (kept > kNoteBytes) {
    note.kind = NoteKind::Message;
    note.text = "(more lines were sent, not kept)";
  }
  observer_.OnEngineNote(PlayerOf(setup_, side), note);
  result_.notes.push_back(std::move(note));
}

}  // namespace

GameResult PlayGame(const GameSetup& setup, const PerPlayer<Engine>& engines,
                    const Workspace& workspace, const GameLimits& limits, GameObserver& observer) {
  Game game(setup, engines, workspace, limits, observer);
  const GameResult result = game.Play();
  game.End();
  return result;
}

}  // namespace fiverow::match
