// An engine that talks the pipe protocol: one process per game, started in
// its own folder at its first turn, told the game in lines on its standard
// input and answering on its standard output. The referee sends
//
//   START 20                          (it must answer OK)
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

#include "match/ChildProcess.h"
#include "match/Contestant.h"

namespace fiverow::match {

class PipeEngine final : public Contestant {
 public:
  PipeEngine(const Engine& engine, Player player, const Workspace& workspace,
             const GameLimits& limits, NoteSink notes)
      : engine_(engine),
        player_(player),
        workspace_(workspace),
        limits_(limits),
        notes_(std::move(notes)) {}

  std::optional<Answer> StartGame() override;
  Answer Play(const MoveRequest& request) override;
  void Pause() override;
  void Resume() override;
  void EndGame() override;
  void AwaitEnd(Clock::time_point deadline) override;

 private:
  // The next line that is not MESSAGE or DEBUG; those go to the notes.
  ChildProcess::Wait NextReply(Clock::time_point deadline, TextLine& line);
  // A crash for a wait that ended without an answer: the process ended or
  // stopped reading. Throws Interrupted for a stop request.
  Answer Crash(ChildProcess::Wait wait, Clock::time_point deadline);
  Answer Crash(std::string reason);
  // What makes it play: BEGIN, TURN or BOARD, after what it already knows.
  std::string MoveCommand(const MoveRequest& request) const;

  const Engine& engine_;
  Player player_;
  const Workspace& workspace_;
  const GameLimits& limits_;
  NoteSink notes_;
  std::optional<ChildProcess> process_;
  std::size_t stonesKnown_ = 0;  // the first stones of the game it has been told or played
};

}  // namespace fiverow::match
