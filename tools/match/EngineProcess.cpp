#include "match/EngineProcess.h"

#include <signal.h>

#include "match/ChildProcess.h"
#include "match/RefereeError.h"

namespace fiverow::match {

RunOutcome RunEngineProcess(const std::vector<std::string>& argv, int folderFd, double limitSeconds,
                            std::optional<std::uint64_t> memoryLimit) {
  using Clock = ChildProcess::Clock;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(limitSeconds));
  ChildProcess engine(argv, folderFd, {.outputLimit = kOutputLimit, .memoryLimit = memoryLimit});
  const ChildProcess::Wait waited = engine.WaitForExit(deadline);
  RunOutcome outcome;
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
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
  }
  return outcome;
}

}  // namespace fiverow::match
