// Plays one game between two engines by the file protocol and judges it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "match/Opening.h"
#include "match/Position.h"

namespace fiverow::match {

struct Engine {
  std::string label;              // "A" or "B"
  std::string command;            // as given, for people to read
  std::vector<std::string> argv;  // what is run
};

// How a game ended.
enum class Ending {
  Five,        // the mover made five or more in a row
  BoardFull,   // a draw
  BadText,     // Tah.dat did not hold x,y in 0..19
  Occupied,    // the move's cell already held a stone
  TimeOut,     // the engine ran over the time limit and was killed
  ExitStatus,  // the engine ended with a non-zero status
  Signal,      // the engine was killed by a signal
  Folder,      // the engine left its folder in a state that cannot be repaired
};

// Whether an ending counts against the engine that caused it.
constexpr bool IsFault(Ending ending) {
  return ending != Ending::Five && ending != Ending::BoardFull;
}

struct GameResult {
  std::optional<Side> winner;  // none for a draw
  Ending ending = Ending::BoardFull;
  std::string reason;        // one line, e.g. "five in a row with 9,10"
  std::string engineOutput;  // a failed engine's report, as it wrote it
  bool engineOutputCut = false;
  std::vector<Move> moves;  // the legal moves after the opening
};

struct GameSetup {
  Opening opening;
  Player xPlayer = Player::A;  // the engine that plays x
};

constexpr Player PlayerOf(const GameSetup& setup, Side side) {
  return side == Side::X ? setup.xPlayer : Other(setup.xPlayer);
}

// Told about every legal move as it is played.
class GameObserver {
 public:
  virtual void OnMove(const Position& position, Move move, Side side, Player player,
                      double seconds) = 0;
  // Every engine run, legal or not, with its time (for the move times).
  virtual void OnEngineRun(Player player, double seconds) = 0;

 protected:
  ~GameObserver() = default;
};

class Workspace;

// Plays from the opening until five, a full board or a fault. Throws
// RefereeError or Interrupted.
GameResult PlayGame(const GameSetup& setup, const PerPlayer<Engine>& engines,
                    const Workspace& workspace, double limitSeconds, GameObserver& observer);

// What an engine left in Tah.dat after its move.
struct MoveFile {
  std::string text;     // the first bytes
  bool cut = false;     // the file held more
  std::string problem;  // why there is no text, e.g. "Tah.dat is a symbolic link"
};

// Judges the text an engine left in Tah.dat: the move, or why it is illegal.
struct MoveVerdict {
  std::optional<Move> move;
  Ending fault = Ending::BadText;
  std::string reason;
};
MoveVerdict JudgeMoveText(const MoveFile& file, const Position& position);

}  // namespace fiverow::match
