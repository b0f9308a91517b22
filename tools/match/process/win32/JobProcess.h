// One engine process on Windows, treated as hostile, with everything it
// starts: the Windows form of posix/ChildProcess.h. It runs in a job object of its
// own that its children cannot break away from and that is killed when the
// referee closes it or dies (kill-on-close). A memory budget is the job's
// memory limit, held by the kernel; the job's peak is reported. Pausing
// suspends every process of the job. Waits watch the process, its output
// and the referee's stop event together, and wake within a millisecond of
// their deadline (PreciseWait.h).
//
// Run once (a file engine's move): standard input from NUL, standard output
// and error captured together into a bounded buffer. Talking (a pipe
// engine): the referee writes its standard input and reads its standard
// output line by line, while its standard error is captured apart; lines not
// yet taken are bounded, the engine waiting on its full pipe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "process/Deadline.h"
#include "process/EngineProcess.h"
#include "process/win32/UniqueHandle.h"
#include "protocol/LineSplitter.h"

namespace fiverow::match {

class JobProcess final : public EngineProcess {
 public:
  // Starts `argv` (UTF-8; argv[0] a path) in `folder`. A memory budget is the
  // job's memory limit. Throws RefereeError with the system's reason when it
  // cannot be started.
  JobProcess(const std::vector<std::string>& argv, const std::string& folder,
             const EngineOptions& options);
  ~JobProcess() override;

  Wait WaitForExit(Clock::time_point deadline) override;
  Wait ReadLine(Clock::time_point deadline, TextLine& line) override;
  bool TakeWaitingLine(TextLine& line) override;
  Wait Send(std::string_view bytes, Clock::time_point deadline) override;
  // The job's memory limit is the kernel's to hold.
  bool CheckMemory() override { return true; }
  // Suspends and resumes every process of the job.
  void Pause() override;
  void Resume() override;
  // Ends the whole job, waits for its output to close, and records the exit
  // (code: the NTSTATUS of an exception; the peak: what the job committed).
  void Finish() override;
  const std::optional<Exit>& exit() const override { return exit_; }
  const std::string& output() const override;
  bool outputCut() const override;

  // The ids of the job's live processes.
  std::vector<unsigned long> ProcessIds() const;

 private:
  struct Streams;
  void RecordExit();

  UniqueHandle job_;
  UniqueHandle port_;  // the job's notifications: its memory limit reached
  UniqueHandle process_;
  std::unique_ptr<Streams> streams_;
  std::optional<Exit> exit_;
  mutable std::string output_;  // the output, as last asked for
  bool paused_ = false;
  bool finished_ = false;
};

}  // namespace fiverow::match
