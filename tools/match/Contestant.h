// One side's player in one game, whatever it is: an engine run once per move
// by the file protocol (FileEngine.h), an engine process that talks the pipe
// protocol for the whole game (PipeEngine.h), or a person at the terminal
// (HumanPlayer.h). PlayGame asks each for its moves in turn and judges them;
// a player never judges the board itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "match/GameLimits.h"
#include "match/Referee.h"

namespace fiverow::match {

class Workspace;

using Clock = std::chrono::steady_clock;

// What a player is asked for its move.
struct MoveRequest {
  const Position& position;         // `side` to move
  const std::vector<Move>& stones;  // every stone in the order placed, x first
  Side side;
  std::optional<Move> last;        // the opponent's last move in this game
  double limitSeconds;             // for this move; infinity for none
  std::optional<double> timeLeft;  // of its match time
};

// A player's answer: a move not yet judged against the board, or the fault
// that loses it the game.
struct Answer {
  std::optional<Move> move;
  Ending fault = Ending::BadText;
  std::string reason;  // e.g. "answered \"UNKNOWN\""; empty for a time-out, which the game words
  double seconds = 0;  // the time it took
  std::string output;  // for a crash: what it wrote, as written
  bool outputCut = false;
};

class Contestant {
 public:
  // Kills whatever still runs.
  virtual ~Contestant() = default;

  // Gets it ready for the game, at its first turn (a pipe engine is started
  // and sent START and INFO). Nothing when ready, else the failure.
  virtual std::optional<Answer> StartGame() = 0;
  virtual Answer Play(const MoveRequest& request) = 0;
  // Around the opponent's turns: a pipe engine is stopped meanwhile.
  virtual void Pause() {}
  virtual void Resume() {}
  // The game is over: tells it (END), without waiting ...
  virtual void EndGame() {}
  // ... then waits for it to end until `deadline` and kills what is left.
  virtual void AwaitEnd(Clock::time_point /*deadline*/) {}
};

// Told each MESSAGE and DEBUG line an engine sends, as it arrives.
using NoteSink = std::function<void(NoteKind kind, std::string_view text)>;

std::unique_ptr<Contestant> MakeContestant(const Engine& engine, Player player,
                                           const Workspace& workspace, const GameLimits& limits,
                                           NoteSink notes);

// The time a player has to end after the game before it is killed.
inline constexpr double kEndSeconds = 1.0;

// The time by which a move started at `start` with `seconds` to think must be
// in; the farthest time there is for infinity.
Clock::time_point DeadlineAfter(Clock::time_point start, double seconds);
double SecondsSince(Clock::time_point start);
// "0.3 s", "5 s".
std::string SecondsText(double seconds);

// Why an engine failed: "exited with status 3", "was killed by signal 9",
// and, when it ran under a memory limit and its error output tells of a
// failed allocation or it held nearly all of it, that it ran out of memory.
std::string CrashReason(bool signalled, int code, std::string_view errors, long peakResidentKiB,
                        const GameLimits& limits);

}  // namespace fiverow::match
