// An engine's process, with everything it starts, as the players see it on
// every platform: started in its folder, waited for by deadlines, talked to
// line by line, paused on the opponent's time and ended whole. POSIX:
// posix/ChildProcess.h (process groups, subreapers, cgroups); Windows:
// win32/JobProcess.h (a job object per engine).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "process/Deadline.h"
#include "protocol/LineSplitter.h"

namespace fiverow::match {

// The most bytes of a process's output (talking: of its standard error) kept.
inline constexpr std::size_t kOutputLimit = 64 * 1024;
// Talking: the most bytes of one output line kept.
inline constexpr std::size_t kLineLimit = 4096;

using protocol::TextLine;

struct EngineOptions {
  bool talking = false;  // standard input and output are pipes to the referee
  // What the process with everything it starts may hold, in bytes.
  std::optional<std::uint64_t> memoryBudget;
};

struct EngineExit {
  bool signalled = false;    // killed by a signal (Windows: an exception)
  int code = 0;              // the exit status, the signal number or the exception code
  long peakResidentKiB = 0;  // the most memory it held at once
  // Killed by the referee for holding this much, over its budget.
  std::optional<std::uint64_t> overBudgetBytes;
  bool killedForMemory = false;  // by the kernel, at its memory limit
};

// The code a process killed at its deadline is reported with (SIGKILL).
int KilledAtDeadlineCode();

// How a process ended, for people: "exited with status 3", "was killed by
// signal 11" (POSIX), "crashed with exception 0xC0000005" (Windows).
std::string ExitText(bool signalled, int code);

class EngineProcess {
 public:
  using Exit = EngineExit;
  // How a wait ended. Ready: what was waited for (a line, room to write).
  // InputClosed: talking, the process no longer reads its input (a broken
  // pipe). An exit ends everything else the engine started at once.
  enum class Wait { Ready, Exited, InputClosed, DeadlinePassed, StopRequested };

  // Starts `argv` (argv[0] a path: no search here) in the folder `folderFd`.
  // Throws RefereeError with the system's reason when it cannot be started.
  static std::unique_ptr<EngineProcess> Start(const std::vector<std::string>& argv, int folderFd,
                                              const EngineOptions& options);
  // Finish(), if not done.
  virtual ~EngineProcess() = default;

  // Blocks until the process exits, the deadline passes or the referee is
  // told to stop (StopSignals.h), taking its output meanwhile.
  virtual Wait WaitForExit(Clock::time_point deadline) = 0;

  // Talking: the next line it wrote, in `line`. A line written before the
  // process exited is still handed over; once the deadline has passed, no
  // line is.
  virtual Wait ReadLine(Clock::time_point deadline, TextLine& line) = 0;
  // Talking: a line it has already written, without waiting for one.
  virtual bool TakeWaitingLine(TextLine& line) = 0;
  // Talking: writes all of `bytes` to its input, resuming it if paused once
  // its input is full (POSIX: SIGPIPE must be ignored, as CatchStopSignals
  // does, so that a process that has gone is InputClosed).
  virtual Wait Send(std::string_view bytes, Clock::time_point deadline) = 0;

  // Whether what the process and everything it started hold is within the
  // budget, killing them when it is not (POSIX measures; Windows: the job's
  // limit holds it). Never, once it was killed for being over, though the
  // lines it wrote before still come.
  virtual bool CheckMemory() = 0;

  // Stops and continues the process and everything it started, so that it
  // cannot think on the opponent's time.
  virtual void Pause() = 0;
  virtual void Resume() = 0;

  // Kills the process and everything it started, waits for them all, and
  // takes the rest of the output.
  virtual void Finish() = 0;

  // Once it has ended.
  virtual const std::optional<Exit>& exit() const = 0;
  // What it wrote (talking: to standard error), at most the limit.
  virtual const std::string& output() const = 0;
  // Whether it wrote more than the limit (the rest was read and dropped).
  virtual bool outputCut() const = 0;

 protected:
  EngineProcess() = default;
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;
};

}  // namespace fiverow::match
