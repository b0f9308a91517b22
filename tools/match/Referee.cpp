#include "match/Referee.h"

#include <cstdio>

#include "common/CellText.h"
#include "common/EscapedText.h"
#include "match/EngineProcess.h"
#include "match/Workspace.h"

namespace fiverow::match {

namespace {

// A line end after the move is forgiven; everything else must be exact.
std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g s", seconds);
  return text;
}

}  // namespace

MoveVerdict JudgeMoveText(const MoveFile& file, const Position& position) {
  MoveVerdict verdict;
  if (!file.problem.empty()) {
    verdict.reason = file.problem;
    return verdict;
  }
  const auto move = file.cut ? std::nullopt : tools::ParseCell(WithoutLineEnd(file.text));
  if (!move) {
    verdict.reason =
        "wrote " + tools::QuotedText(file.text, file.cut) + " instead of a move x,y in 0..19";
    return verdict;
  }
  if (!position.IsEmpty(*move)) {
    verdict.fault = Ending::Occupied;
    verdict.reason = "played " + tools::CellText(*move) + ", an occupied cell";
    return verdict;
  }
  verdict.move = move;
  return verdict;
}

GameResult PlayGame(const GameSetup& setup, const PerPlayer<Engine>& engines,
                    const Workspace& workspace, double limitSeconds, GameObserver& observer) {
  Position position = StartPosition(setup.opening);
  Side side = SideToMove(position);

  GameResult result;
  const auto lose = [&](Side loser, Ending ending, std::string reason) {
    result.winner = Opponent(loser);
    result.ending = ending;
    result.reason = engines[PlayerOf(setup, loser)].label + " (" + StoneChar(loser) + ") " + reason;
    return result;
  };

  while (!position.IsFull()) {
    const Player player = PlayerOf(setup, side);
    const Workspace::Ready ready = workspace.PrepareMove(player, position, side);
    if (!ready.folder) {
      return lose(side, Ending::Folder, "left its folder beyond repair: " + ready.problem);
    }
    const RunOutcome run = RunEngineProcess(engines[player].argv, ready.folder.get(), limitSeconds);
    observer.OnEngineRun(player, run.seconds);
    const auto crash = [&](Ending ending, std::string reason) {
      result.engineOutput = run.output;
      result.engineOutputCut = run.outputCut;
      return lose(side, ending, std::move(reason));
    };

    switch (run.end) {
      case RunOutcome::End::TimedOut:
        return lose(side, Ending::TimeOut, "ran over the time limit of " + Seconds(limitSeconds));
      case RunOutcome::End::Signalled:
        return crash(Ending::Signal, "was killed by signal " + std::to_string(run.code));
      case RunOutcome::End::Exited:
        if (run.code != 0) {
          return crash(Ending::ExitStatus, "exited with status " + std::to_string(run.code));
        }
        break;
    }

    const MoveVerdict verdict = JudgeMoveText(ReadMoveFile(ready.folder.get()), position);
    if (!verdict.move) return lose(side, verdict.fault, verdict.reason);

    position.Place(*verdict.move, side);
    result.moves.push_back(*verdict.move);
    observer.OnMove(position, *verdict.move, side, player, run.seconds);
    if (position.CompletesFive(*verdict.move)) {
      result.winner = side;
      result.ending = Ending::Five;
      const int length = position.LongestLineThrough(*verdict.move);
      result.reason = engines[player].label + " (" + StoneChar(side) + ") made " +
                      (length == kWinLength ? std::string("five") : std::to_string(length)) +
                      " in a row with " + tools::CellText(*verdict.move);
      return result;
    }
    side = Opponent(side);
  }
  result.ending = Ending::BoardFull;
  result.reason = "the board is full";
  return result;
}

}  // namespace fiverow::match
