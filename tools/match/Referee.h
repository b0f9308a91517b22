// Plays one game between two players, engines of either protocol or people,
// and judges it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "match/EngineChoice.h"
#include "match/GameLimits.h"
#include "match/Opening.h"
#include "match/Position.h"

namespace fiverow::match {

struct Engine {
  std::string label;              // "A" or "B"
  std::string command;            // as given, for people to read
  std::vector<std::string> argv;  // what is run (nothing for a person)
  Protocol protocol = Protocol::File;
};

// How a game ended. The endings after BoardFull are the loser's faults.
enum class Ending {
  Five,        // won on the board: five in a row by the rule, or the other side resigned
  BoardFull,   // a draw
  BadText,     // no move x,y in 0..19: wrong text in Tah.dat, a malformed reply
  Occupied,    // the move's cell already held a stone
  TimeOut,     // the engine ran over the time limit or its match time
  ExitStatus,  // the engine failed: a non-zero exit status, or a pipe engine ended,
               // refused (ERROR, UNKNOWN) or broke off the conversation
  Signal,      // the engine was killed by a signal
  Folder,      // the engine left its folder in a state that cannot be repaired
};

// Whether an ending counts against the engine that caused it.
constexpr bool IsFault(Ending ending) {
  return ending != Ending::Five && ending != Ending::BoardFull;
}

// A MESSAGE or DEBUG line a pipe engine sent, kept for the record.
enum class NoteKind : std::uint8_t { Message, Debug };
struct EngineNote {
  std::size_t beforeMove = 0;  // how many moves had been played
  Side side = Side::X;
  NoteKind kind = NoteKind::Message;
  std::string text;  // as sent, without the keyword
};

struct GameResult {
  std::optional<Side> winner;  // none for a draw
  Ending ending = Ending::BoardFull;
  std::string reason;        // one line, e.g. "five in a row with 9,10"
  std::string engineOutput;  // a failed engine's report, as it wrote it
  bool engineOutputCut = false;
  std::vector<Move> moves;          // the legal moves after the opening
  std::vector<EngineNote> notes{};  // at most kNoteBytes of text per engine
};

inline constexpr std::size_t kNoteBytes = 64 * 1024;

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
  // A MESSAGE or DEBUG line as it arrives (the ones the record keeps).
  virtual void OnEngineNote(Player /*player*/, const EngineNote& /*note*/) {}

 protected:
  ~GameObserver() = default;
};

class Workspace;

// Plays from the opening until a win, a full board, a fault or a
// resignation, under `limits`, then ends the engines (a pipe engine gets END
// and is killed if still running a second later). Each side's engine is
// started at its first turn, so that every fault falls on the side to move.
// Throws RefereeError or Interrupted, having killed the engines. Games may be
// played on several threads at once, each with its own Workspace, once
// CatchStopSignals has run.
GameResult PlayGame(const GameSetup& setup, const PerPlayer<Engine>& engines,
                    const Workspace& workspace, const GameLimits& limits, GameObserver& observer);

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
