// What a game asks of each of its players, whatever they are: an engine of
// either protocol, or a person (players/). The game asks each for its moves
// in turn and judges them; a player never judges the board itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameResult.h"
#include "game/Position.h"
#include "process/Deadline.h"

namespace fiverow::match {

// What a player is asked for its move.
struct MoveRequest {
  const Position& position;         // `side` to move
  const std::vector<Move>& stones;  // every stone in the order placed, x first
  Side side;
  std::optional<Move> last;        // the opponent's last move in this game
  double limitSeconds;             // for this move; infinity for none
  std::optional<double> timeLeft;  // of its match time
};

// A player's answer: a move not yet judged against the board, or the ending
// it brings about (a fault, or a resignation).
struct Answer {
  std::optional<Move> move;
  Ending fault = Ending::BadText;
  std::string reason;  // e.g. "answered \"UNKNOWN\""; empty for a time-out, which the game words
  double seconds = 0;  // the time it took
  std::string output;  // for a crash: what it wrote, as written
  bool outputCut = false;
};

// Told what a player says during a game besides its moves, as it arrives.
class PlayerListener {
 public:
  virtual void OnNote(NoteKind kind, std::string_view text) = 0;

 protected:
  ~PlayerListener() = default;
};

class Contestant {
 public:
  // Kills whatever still runs.
  virtual ~Contestant() = default;

  // Gets it ready for the game, at its first turn (a pipe engine is started
  // and sent START and INFO), telling `listener` what it says until the game
  // ends. Nothing when ready, else the failure.
  virtual std::optional<Answer> StartGame(PlayerListener& listener) = 0;
  virtual Answer Play(const MoveRequest& request) = 0;
  // Around the opponent's turns: a pipe engine is stopped meanwhile.
  virtual void Pause() {}
  virtual void Resume() {}
  // The game is over: tells it (END), without waiting ...
  virtual void EndGame() {}
  // ... then waits for it to end until `deadline` and kills what is left.
  virtual void AwaitEnd(Clock::time_point /*deadline*/) {}
};

// The time a player has to end after the game before it is killed.
inline constexpr double kEndSeconds = 1.0;

}  // namespace fiverow::match
