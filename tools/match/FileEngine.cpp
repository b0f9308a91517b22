#include "match/FileEngine.h"

#include "match/EngineProcess.h"
#include "match/Workspace.h"

namespace fiverow::match {

Answer FileEngine::Play(const MoveRequest& request) {
  Answer answer;
  const Workspace::Ready ready = workspace_.PrepareMove(player_, request.position, request.side);
  if (!ready.folder) {
    answer.fault = Ending::Folder;
    answer.reason = "left its folder beyond repair: " + ready.problem;
    return answer;
  }
  const RunOutcome run =
      RunEngineProcess(engine_.argv, ready.folder.get(), request.limitSeconds, limits_.memoryBytes);
  answer.seconds = run.seconds;
  if (run.end == RunOutcome::End::TimedOut) {
    answer.fault = Ending::TimeOut;
    return answer;
  }
  const bool signalled = run.end == RunOutcome::End::Signalled;
  if (signalled || run.code != 0) {
    answer.fault = signalled ? Ending::Signal : Ending::ExitStatus;
    answer.reason = CrashReason(signalled, run.code, run.output, run.peakResidentKiB, limits_);
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
