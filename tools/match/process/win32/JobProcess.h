// One engine process on Windows, treated as hostile, with everything it
// starts: the Windows form of ChildProcess. It runs in a job object of its
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
#include "process/win32/UniqueHandle.h"
#include "protocol/LineSplitter.h"

namespace fiverow::match {

struct JobOptions {
  bool talking = false;
  std::optional<std::uint64_t> memoryBudget;  // the job's memory limit, in bytes
};

class JobProcess {
 public:
  struct Exit {
    bool crashed = false;  // ended by an exception (code: its NTSTATUS)
    unsigned long code = 0;
    std::uint64_t peakBytes = 0;   // the most memory the job committed at once
    bool killedForMemory = false;  // it reached the job's memory limit
  };
  enum class Wait { Ready, Exited, InputClosed, DeadlinePassed, StopRequested };

  // Starts `argv` (UTF-8; argv[0] a path) in `folder`. Throws RefereeError
  // with the system's reason when it cannot be started.
  JobProcess(const std::vector<std::string>& argv, const std::string& folder,
             const JobOptions& options);
  ~JobProcess();
  JobProcess(const JobProcess&) = delete;
  JobProcess& operator=(const JobProcess&) = delete;

  Wait WaitForExit(Clock::time_point deadline);
  Wait ReadLine(Clock::time_point deadline, protocol::TextLine& line);
  bool TakeWaitingLine(protocol::TextLine& line);
  Wait Send(std::string_view bytes, Clock::time_point deadline);

  // Suspends and resumes every process of the job.
  void Pause();
  void Resume();

  // Ends the whole job, waits for its output to close, and records the exit.
  void Finish();

  const std::optional<Exit>& exit() const { return exit_; }
  // What it wrote (talking: to standard error), at most the limit.
  std::string output() const;
  bool outputCut() const;

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
  bool paused_ = false;
  bool finished_ = false;
};

}  // namespace fiverow::match
