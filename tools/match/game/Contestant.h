// What a game asks of each of its players, whatever they are: an engine of
// either protocol, or a person (players/). The game asks each for its moves
// in turn and judges them; a player never judges the board itself. A player
// may live for many games: an engine process is kept from one game to the
// next.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameResult.h"
#include "game/Position.h"
#include "game/Rules.h"
#include "game/TimeControl.h"
#include "process/Deadline.h"

namespace fiverow::match {

// What a player is asked for its move.
struct MoveRequest {
  const Position& position;         // `side` to move
  const std::vector<Move>& stones;  // every stone in the order placed, x first
  Side side;
  std::optional<Move> last;        // the opponent's last move in this game
  double limitSeconds;             // for this move, as the player is told; infinity for none
  double marginSeconds;            // how far past it a move still counts
  std::optional<double> timeLeft;  // of its match time
};

// A player's answer: a move not yet judged against the board, or the ending
// it brings about (a fault, or a resignation).
struct Answer {
  std::optional<Move> move;
  Ending fault = Ending::BadText;
  // Why, e.g. "answered \"hello\" instead of a move X,Y". For a time-out,
  // which the game words, what the player said meanwhile, if anything
  // (e.g. "after it sent \"ERROR no room\"").
  std::string reason;
  double seconds = 0;  // the time it took
  std::string output;  // for a crash: what it wrote, as written
  bool outputCut = false;
};

// What a player is told at its first turn of a game.
struct GameStart {
  int boardSize;
  Rule rule;
  const TimeControl& time;  // its own
};

// Told what a player says during a game besides its moves, as it arrives.
class NoteListener {
 public:
  virtual void OnNote(NoteKind kind, std::string_view text) = 0;

 protected:
  ~NoteListener() = default;
};

class Contestant {
 public:
  // Kills whatever still runs.
  virtual ~Contestant() = default;

  // Gets it ready for a new game, at its first turn: a pipe engine is
  // started and told the game's conditions, or, kept from its last game on
  // the same conditions, told to start again. Tells `listener` what it says until the game ends.
  // Nothing when ready, else the failure.
  virtual std::optional<Answer> StartGame(const GameStart& start, NoteListener& listener) = 0;
  virtual Answer Play(const MoveRequest& request) = 0;
  // Around the opponent's turns: a pipe engine, with everything it started,
  // is stopped meanwhile.
  virtual void Pause() {}
  virtual void Resume() {}
  // The game is over. After a fault of its process (IsProcessFault) an
  // engine is ended, to start afresh for its next game.
  virtual void FinishGame(std::optional<Ending> processFault) { (void)processFault; }
  // The player is no longer wanted: it is told (END), without waiting ...
  virtual void Close() {}
  // ... then waited for until `deadline`, and what is left is killed.
  virtual void AwaitClose(Clock::time_point /*deadline*/) {}

  // What it calls itself (ABOUT), once it has said.
  virtual std::string Name() const { return {}; }
  // How many times it was started afresh after a fault of its process.
  virtual RestartCounts Restarts() const { return {}; }
};

// The time a player has to end before it is killed.
inline constexpr double kEndSeconds = 1.0;

}  // namespace fiverow::match
