#include "players/FileEngine.h"

#include "players/CrashReason.h"
#include "players/FileProtocol.h"
#include "process/RunToExit.h"

namespace fiverow::match {

std::optional<Answer> FileEngine::StartGame(const GameStart&, NoteListener&) {
  setup_.workspace.ClearFolder(setup_.label);
  return std::nullopt;
}

Answer FileEngine::Play(const MoveRequest& request) {
  Answer answer;
  const Workspace::Ready ready = setup_.workspace.PrepareFolder(setup_.label);
  std::string problem = ready.problem;
  if (ready.folder) problem = WriteGameFiles(ready.folder.get(), request.position, request.side);
  if (!problem.empty()) {
    answer.fault = Ending::Folder;
    answer.reason = "left its folder beyond repair: " + problem;
    return answer;
  }
  const RunOutcome run =
      RunToExit(setup_.engine.argv, ready.folder.get(),
                request.limitSeconds + request.marginSeconds, setup_.limits.memoryBytes);
  answer.seconds = run.seconds;
  if (run.end == RunOutcome::End::TimedOut) {
    answer.fault = Ending::TimeOut;
    return answer;
  }
  const bool signalled = run.end == RunOutcome::End::Signalled;
  if (run.overBudgetBytes) {
    answer.fault = Ending::Memory;
    answer.reason = OverBudgetReason(*run.overBudgetBytes, *setup_.limits.memoryBytes);
    return answer;
  }
  if (signalled || run.code != 0) {
    const Crash crash{signalled, run.code, run.output, run.peakResidentKiB, run.killedForMemory};
    answer.fault = CrashEnding(crash, setup_.limits.memoryBytes);
    answer.reason = CrashReason(crash, setup_.limits.memoryBytes);
    answer.output = run.output;
    answer.outputCut = run.outputCut;
    return answer;
  }
  const MoveVerdict verdict = JudgeMoveText(ReadMoveFile(ready.folder.get()), request.position);
  answer.move = verdict.move;
  answer.fault = verdict.fault;
  answer.reason = verdict.reason;
  return answer;
}

}  // namespace fiverow::match
