#include "game/Game.h"

#include <algorithm>

#include "game/Renju.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

namespace {

// One game: its players, their clocks, and what they said.
class Game {
 public:
  Game(const GameSpec& spec, GameEvents& events) : spec_(spec), events_(events) {
    result_.boardSize = spec.boardSize;
    result_.rule = spec.rule;
    result_.opening = spec.opening;
    for (const Side side : kSides) {
      timeLeft_[side] = spec.sides[side].matchSeconds;
      listeners_[side].game = this;
      listeners_[side].side = side;
    }
  }

  GameResult Play();
  // Tells both players the game is over, then gives them a second together
  // to end.
  void End();

 private:
  struct Listener final : PlayerListener {
    Game* game = nullptr;
    Side side = Side::X;
    void OnNote(NoteKind kind, std::string_view text) override { game->Note(side, kind, text); }
  };

  Contestant& PlayerOf(Side side) const { return *spec_.sides[side].player; }
  GameResult Lose(Side loser, Ending ending, const std::string& reason);
  GameResult Crash(Side loser, const Answer& answer);
  void Note(Side side, NoteKind kind, std::string_view text);

  const GameSpec& spec_;
  GameEvents& events_;
  PerSide<std::optional<double>> timeLeft_;
  PerSide<std::size_t> noteBytes_{};
  PerSide<Listener> listeners_;
  GameResult result_;
};

GameResult Game::Play() {
  Position position = StartPosition(spec_.opening, spec_.boardSize);
  std::vector<Move> stones = spec_.opening;
  std::optional<Move> last;
  PerSide<bool> started{};
  Side side = SideToMove(position);
  while (!position.IsFull()) {
    Contestant& mover = PlayerOf(side);
    if (!started[side]) {
      started[side] = true;
      if (const std::optional<Answer> failure = mover.StartGame(listeners_[side]))
        return Crash(side, *failure);
    }
    const double turnLimit = spec_.sides[side].turnSeconds;
    const std::optional<double> clock = timeLeft_[side];
    const double limit = clock ? std::min(turnLimit, *clock) : turnLimit;
    mover.Resume();
    const Answer answer = mover.Play({position, stones, side, last, limit, clock});
    mover.Pause();
    result_.moveSeconds[side].push_back(answer.seconds);
    if (clock) timeLeft_[side] = std::max(0.0, *clock - answer.seconds);

    if (!answer.move && answer.fault == Ending::TimeOut) {
      return Lose(side, Ending::TimeOut,
                  clock && *clock < turnLimit ? "ran out of its match time of " +
                                                    SecondsText(*spec_.sides[side].matchSeconds)
                                              : "ran over the time limit of " + SecondsText(limit));
    }
    if (!answer.move) return Crash(side, answer);
    const Move move = *answer.move;
    if (!position.OnBoard(move)) {
      return Lose(side, Ending::BadText,
                  "played " + protocol::CellText(move) + ", outside the board");
    }
    if (!position.IsEmpty(move)) {
      return Lose(side, Ending::Occupied,
                  "played " + protocol::CellText(move) + ", an occupied cell");
    }

    position.Place(move, side);
    stones.push_back(move);
    result_.moves.push_back(move);
    events_.OnMove(position, move, side, answer.seconds);
    if (spec_.rule == Rule::Renju && side == Side::X) {
      if (const std::optional<Foul> foul = RenjuFoul(position, move)) {
        return Lose(
            side, Ending::Forbidden,
            "made a forbidden " + std::string(FoulName(*foul)) + " at " + protocol::CellText(move));
      }
    }
    if (Wins(position, move, spec_.rule)) {
      const int length = position.LongestLineThrough(move);
      const bool five = length == kWinLength || NeedsExactlyFive(spec_.rule, side);
      result_.winner = side;
      result_.ending = Ending::Five;
      result_.reason = spec_.sides[side].label + " (" + StoneChar(side) + ") made " +
                       (five ? std::string("five") : std::to_string(length)) + " in a row with " +
                       protocol::CellText(move);
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
  for (const Side side : kSides) PlayerOf(side).EndGame();
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), kEndSeconds);
  for (const Side side : kSides) PlayerOf(side).AwaitEnd(deadline);
}

GameResult Game::Lose(Side loser, Ending ending, const std::string& reason) {
  result_.winner = Opponent(loser);
  result_.ending = ending;
  result_.reason = spec_.sides[loser].label + " (" + StoneChar(loser) + ") " + reason;
  return result_;
}

GameResult Game::Crash(Side loser, const Answer& answer) {
  result_.engineOutput = answer.output;
  result_.engineOutputCut = answer.outputCut;
  return Lose(loser, answer.fault, answer.reason);
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
  events_.OnNote(note);
  result_.notes.push_back(std::move(note));
}

}  // namespace

GameResult PlayGame(const GameSpec& spec, GameEvents& events) {
  Game game(spec, events);
  const GameResult result = game.Play();
  game.End();
  return result;
}

}  // namespace fiverow::match
