#include "process/RunToExit.h"

#include "process/EngineProcess.h"
#include "process/RefereeError.h"

namespace fiverow::match {

RunOutcome RunToExit(const std::vector<std::string>& argv, int folderFd, double limitSeconds,
                     std::optional<std::uint64_t> memoryBudget) {
  const Clock::time_point start = Clock::now();
  const std::unique_ptr<EngineProcess> started =
      EngineProcess::Start(argv, folderFd, {.talking = false, .memoryBudget = memoryBudget});
  EngineProcess& engine = *started;
  const EngineProcess::Wait waited = engine.WaitForExit(DeadlineAfter(start, limitSeconds));
  RunOutcome outcome;
  outcome.seconds = SecondsSince(start);
  engine.Finish();
  if (waited == EngineProcess::Wait::StopRequested) throw Interrupted();

  outcome.output = engine.output();
  outcome.outputCut = engine.outputCut();
  if (waited == EngineProcess::Wait::DeadlinePassed) {
    outcome.end = RunOutcome::End::TimedOut;
    outcome.code = KilledAtDeadlineCode();
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
