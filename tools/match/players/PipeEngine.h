// An engine that talks the pipe protocol: one process, started in its own
// folder at its first turn and kept from game to game, told the game in
// lines on its standard input and answering on its standard output. The
// referee sends
//
//   START N, the INFO lines, ABOUT     (its start-up: OK to START, then the
//                                      answer to ABOUT, which names it)
//   INFO timeout_turn MS, INFO timeout_match MS (0: none),
//   INFO max_memory BYTES (0: none), INFO game_type 1, INFO rule 0|1
//   RESTART                            (a new game with the same process: OK)
//   INFO time_left MS                  (before each move)
//   BEGIN | TURN X,Y | BOARD, X,Y,F ..., DONE     (F 1 its own, 2 the opponent's)
//   END                                (when no longer wanted; killed 1 s later)
//
// and reads lines ended by CR LF, LF or CR. Only a move answers a move:
// MESSAGE, DEBUG, ERROR and UNKNOWN lines are kept as notes meanwhile, and
// lines that come when nothing was asked are never taken for an answer.
// Another answer, silence past the limit or an exit loses the game. An
// engine that answers RESTART with UNKNOWN or ERROR is ended and started
// afresh; so is one that lost by a fault of its own. It is stopped, with
// everything it started, while the opponent thinks and between games.
#pragma once

#include <memory>
#include <tuple>

#include "players/MakePlayer.h"
#include "process/EngineProcess.h"
#include "protocol/Replies.h"

namespace fiverow::match {

class PipeEngine final : public Contestant {
 public:
  explicit PipeEngine(const PlayerSetup& setup) : setup_(setup) {}

  std::optional<Answer> StartGame(const GameStart& start, NoteListener& listener) override;
  Answer Play(const MoveRequest& request) override;
  void Pause() override;
  // Left to Play, which resumes it once its command is written.
  void Resume() override;
  void FinishGame(std::optional<Ending> processFault) override;
  void Close() override;
  void AwaitClose(Clock::time_point deadline) override;
  std::string Name() const override { return name_; }
  RestartCounts Restarts() const override { return restarts_; }

 private:
  // Starts the process and takes it through its start-up, telling it the
  // game's conditions.
  std::optional<Answer> Launch(const GameStart& start, Clock::time_point deadline);
  // RESTART for a process kept from the last game: nothing when it is ready,
  // else the failure; `refused` when it does not know RESTART.
  std::optional<Answer> Restart(Clock::time_point deadline, bool& refused);
  // Sends `command`, whose answer must be OK: nothing when it is, else the
  // failure, with the answer in `answered` when there was one.
  std::optional<Answer> Expect(const std::string& command, Clock::time_point deadline,
                               protocol::Reply* answered = nullptr);
  // Sends `lines` at start-up and waits for the answer to the last of them:
  // nothing when it came, in `line` and `reply`, else the failure.
  std::optional<Answer> StartUpReply(const std::vector<std::string>& lines,
                                     Clock::time_point deadline, TextLine& line,
                                     protocol::Reply& reply);

  // Sends lines, each ended by LF, telling the line listener.
  EngineProcess::Wait Send(const std::vector<std::string>& lines, Clock::time_point deadline);
  // The next line that is not MESSAGE or DEBUG, and what it says; those go
  // to the notes.
  EngineProcess::Wait NextReply(Clock::time_point deadline, TextLine& line, protocol::Reply& reply);
  // Reads the lines that came while nothing was asked, keeping them as
  // notes; a move among them is kept in unaskedMove_, a fault: an answer
  // sent twice.
  void ReadUnasked();
  void Note(NoteKind kind, std::string_view text);

  // A crash for a wait that ended without an answer: the process ended or
  // stopped reading. Throws Interrupted for a stop request.
  Answer Crash(EngineProcess::Wait wait, Clock::time_point deadline);
  Answer Crash(std::string reason);
  // The process is killed and forgotten.
  void Drop();
  // What makes it play: BEGIN, TURN or BOARD, after what it already knows.
  std::vector<std::string> MoveCommand(const MoveRequest& request) const;

  PlayerSetup setup_;
  NoteListener* notes_ = nullptr;
  std::unique_ptr<EngineProcess> process_;
  // What the process was told at its start: the size, the rule, its turn
  // and match time.
  std::tuple<int, Rule, double, std::optional<double>> told_;
  // The fault of its process that ended its last game: the next process is a
  // restart.
  std::optional<Ending> faulted_;
  RestartCounts restarts_;
  std::string name_;
  std::size_t stonesKnown_ = 0;     // the first stones of the game it has been told or played
  std::string unaskedMove_;         // a move that came when none was asked for, quoted
  std::optional<Move> lastAnswer_;  // its last move this game
};

}  // namespace fiverow::match
