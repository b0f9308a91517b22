#include "game/Game.h"

#include <algorithm>

#include "game/Judge.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

namespace {

// One game: its players, their clocks, and what they said.
class Game {
 public:
  Game(const GameTerms& terms, GameEvents& events) : terms_(terms), events_(events) {
    result_.boardSize = terms.boardSize;
    result_.rule = terms.rule;
    result_.opening = terms.opening;
    for (const Side side : kSides) {
      clocks_[side].emplace(terms.sides[side].time);
      listeners_[side].game = this;
      listeners_[side].side = side;
    }
  }

  GameResult Play();
  // Tells the players that were started that the game is over.
  void Finish();

 private:
  struct Listener final : NoteListener {
    Game* game = nullptr;
    Side side = Side::X;
    void OnNote(NoteKind kind, std::string_view text) override { game->Note(side, kind, text); }
  };

  Contestant& PlayerOf(Side side) const { return *terms_.sides[side].player; }
  GameResult Lose(Side loser, Ending ending, const std::string& reason);
  GameResult Crash(Side loser, const Answer& answer);
  void Note(Side side, NoteKind kind, std::string_view text);

  const GameTerms& terms_;
  GameEvents& events_;
  PerSide<std::optional<GameClock>> clocks_;
  PerSide<std::size_t> noteBytes_{};
  PerSide<Listener> listeners_;
  PerSide<bool> started_{};
  GameResult result_;
};

GameResult Game::Play() {
  Position position = StartPosition(terms_.opening, terms_.boardSize);
  std::vector<Move> stones = terms_.opening;
  std::optional<Move> last;
  Side side = SideToMove(position);
  while (!position.IsFull()) {
    if (terms_.drawAfter && position.StoneCount() >= *terms_.drawAfter) {
      result_.ending = Ending::DrawAfter;
      result_.reason =
          "adjudicated a draw at " + std::to_string(position.StoneCount()) + " stones on the board";
      return result_;
    }
    Contestant& mover = PlayerOf(side);
    GameClock& clock = *clocks_[side];
    if (!started_[side]) {
      started_[side] = true;
      const std::optional<Answer> failure = mover.StartGame(
          {terms_.boardSize, terms_.rule, terms_.sides[side].time}, listeners_[side]);
      result_.names[side] = mover.Name();
      if (failure) return Crash(side, *failure);
    }
    mover.Resume();
    const Answer answer =
        mover.Play({position, stones, side, last, clock.Limit(), clock.Margin(), clock.Left()});
    mover.Pause();
    result_.moveSeconds[side].push_back(answer.seconds);

    if (!answer.move && answer.fault == Ending::TimeOut) {
      std::string reason = clock.TimeOutReason();
      if (!answer.reason.empty()) reason += "; " + answer.reason;
      return Lose(side, Ending::TimeOut, reason);
    }
    clock.Spend(answer.seconds);
    if (!answer.move) return Crash(side, answer);
    const Move move = *answer.move;
    const std::string cell = protocol::CellText(move);
    const Judgement judged = PlaceStone(position, move, side, terms_.rule);
    if (judged.verdict == Verdict::OffBoard)
      return Lose(side, Ending::BadText, "played " + cell + ", outside the board");
    if (judged.verdict == Verdict::Occupied)
      return Lose(side, Ending::Occupied, "played " + cell + ", an occupied cell");
    stones.push_back(move);
    result_.moves.push_back(move);
    events_.OnMove(position, move, side, answer.seconds);
    if (judged.verdict == Verdict::Forbidden) {
      return Lose(side, Ending::Forbidden,
                  "made a forbidden " + std::string(FoulName(judged.foul)) + " at " + cell);
    }
    if (judged.verdict == Verdict::Wins) {
      const bool five = judged.length == kWinLength || NeedsExactlyFive(terms_.rule, side);
      result_.winner = side;
      result_.ending = Ending::Five;
      result_.reason = terms_.sides[side].label + " (" + StoneChar(side) + ") made " +
                       (five ? std::string("five") : std::to_string(judged.length)) +
                       " in a row with " + cell;
      return result_;
    }
    last = move;
    side = Opponent(side);
  }
  result_.ending = Ending::BoardFull;
  result_.reason = "the board is full";
  return result_;
}

void Game::Finish() {
  for (const Side side : kSides) {
    if (!started_[side]) continue;
    const bool faulted = result_.winner == Opponent(side) && IsProcessFault(result_.ending);
    PlayerOf(side).FinishGame(faulted ? std::optional(result_.ending) : std::nullopt);
  }
}

GameResult Game::Lose(Side loser, Ending ending, const std::string& reason) {
  result_.winner = Opponent(loser);
  result_.ending = ending;
  result_.reason = terms_.sides[loser].label + " (" + StoneChar(loser) + ") " + reason;
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

GameResult PlayGame(const GameTerms& terms, GameEvents& events) {
  Game game(terms, events);
  const GameResult result = game.Play();
  game.Finish();
  return result;
}

}  // namespace fiverow::match
