// EngineProcess on POSIX systems: a ChildProcess.
#include "process/EngineProcess.h"

#include <signal.h>

#include "process/posix/ChildProcess.h"

namespace fiverow::match {

struct EngineProcess::Native {
  ChildProcess child;
};

int KilledAtDeadlineCode() { return SIGKILL; }

std::string ExitText(bool signalled, int code) {
  return (signalled ? "was killed by signal " : "exited with status ") + std::to_string(code);
}

EngineProcess::EngineProcess(const std::vector<std::string>& argv, int folderFd,
                             const EngineOptions& options)
    : native_(new Native{ChildProcess(
          argv, folderFd, {.talking = options.talking, .memoryBudget = options.memoryBudget})}) {}

EngineProcess::~EngineProcess() = default;

namespace {
EngineProcess::Wait Same(ChildProcess::Wait wait) { return static_cast<EngineProcess::Wait>(wait); }
}  // namespace

const std::optional<EngineExit>& EngineProcess::exit() const {
  const std::optional<ChildProcess::Exit>& exit = native_->child.exit();
  if (exit && !exit_)
    exit_ = Exit{exit->signalled, exit->code, exit->peakResidentKiB, exit->overBudgetBytes,
                 exit->killedForMemory};
  return exit_;
}

const std::string& EngineProcess::output() const { return native_->child.output(); }

bool EngineProcess::outputCut() const { return native_->child.outputCut(); }

EngineProcess::Wait EngineProcess::WaitForExit(Clock::time_point deadline) {
  return Same(native_->child.WaitForExit(deadline));
}

EngineProcess::Wait EngineProcess::ReadLine(Clock::time_point deadline, TextLine& line) {
  return Same(native_->child.ReadLine(deadline, line));
}

bool EngineProcess::TakeWaitingLine(TextLine& line) { return native_->child.TakeWaitingLine(line); }

EngineProcess::Wait EngineProcess::Send(std::string_view bytes, Clock::time_point deadline) {
  return Same(native_->child.Send(bytes, deadline));
}

bool EngineProcess::CheckMemory() { return native_->child.CheckMemory(); }

void EngineProcess::Pause() { native_->child.Pause(); }

void EngineProcess::Resume() { native_->child.Resume(); }

void EngineProcess::Finish() { native_->child.Finish(); }

}  // namespace fiverow::match
