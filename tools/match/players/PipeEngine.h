// An engine that talks the pipe protocol: one process per game, started in
// its own folder at its first turn, told the game in lines on its standard
// input and answering on its standard output. The referee sends
//
//   START N                           (it must answer OK)
//   INFO timeout_turn MS, INFO timeout_match MS (0: none),
//   INFO max_memory BYTES (0: none), INFO game_type 1, INFO rule 0|1
//   INFO time_left MS                 (before each move)
//   BEGIN | TURN X,Y | BOARD, X,Y,F ..., DONE     (F 1 its own, 2 the opponent's)
//   END                               (killed if still running 1 s later)
//
// and reads lines ended by CR LF, LF or CR until the move X,Y, keeping
// MESSAGE and DEBUG lines as notes. UNKNOWN, ERROR, anything else, silence
// past the limit or an exit loses the game. The process group is stopped
// while the opponent thinks.
#pragma once

#include "players/MakePlayer.h"
#include "process/ChildProcess.h"

namespace fiverow::match {

class PipeEngine final : public Contestant {
 public:
  explicit PipeEngine(const PlayerSetup& setup) : setup_(setup) {}

  std::optional<Answer> StartGame(PlayerListener& listener) override;
  Answer Play(const MoveRequest& request) override;
  void Pause() override;
  void Resume() override;
  void EndGame() override;
  void AwaitEnd(Clock::time_point deadline) override;

 private:
  // The next line that is not MESSAGE or DEBUG; those go to the listener.
  ChildProcess::Wait NextReply(Clock::time_point deadline, TextLine& line);
  // A crash for a wait that ended without an answer: the process ended or
  // stopped reading. Throws Interrupted for a stop request.
  Answer Crash(ChildProcess::Wait wait, Clock::time_point deadline);
  Answer Crash(std::string reason);
  // What makes it play: BEGIN, TURN or BOARD, after what it already knows.
  std::string MoveCommand(const MoveRequest& request) const;

  PlayerSetup setup_;
  PlayerListener* listener_ = nullptr;
  std::optional<ChildProcess> process_;
  std::size_t stonesKnown_ = 0;  // the first stones of the game it has been told or played
};

}  // namespace fiverow::match
