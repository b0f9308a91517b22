#include "process/RunToExit.h"

#include <signal.h>

#include "process/ChildProcess.h"
#include "process/RefereeError.h"

namespace fiverow::match {

RunOutcome RunToExit(const std::vector<std::string>& argv, int folderFd, double limitSeconds,
                     std::optional<std::uint64_t> memoryBudget) {
  const Clock::time_point start = Clock::now();
  ChildProcess engine(argv, folderFd, {.memoryBudget = memoryBudget});
  const ChildProcess::Wait waited = engine.WaitForExit(DeadlineAfter(start, limitSeconds));
  RunOutcome outcome;
  outcome.seconds = SecondsSince(start);
  engine.Finish();
  if (waited == ChildProcess::Wait::StopRequested) throw Interrupted();

  outcome.output = engine.output();
  outcome.outputCut = engine.outputCut();
  if (waited == ChildProcess::Wait::DeadlinePassed) {
    outcome.end = RunOutcome::End::TimedOut;
    outcome.code = SIGKILL;
  } else {
    outcome.end = engine.exit()->signalled ? RunOutcome::End::Signalled : RunOutcome::End::Exited;
    outcome.code = engine.exit()->code;
    outcome.peakResidentKiB = engine.exit()->peakResidentKiB;
    outcome.overBudgetBytes = engine.exit()->overBudgetBytes;
    outcome.killedForMemory = engine.exit()->killedForMemory;
  }
  return outcome;
}

}  // namespace fiverow::match
