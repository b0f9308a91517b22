// An engine's process, with everything it starts, as the players see it on
// every platform: started in its folder, waited for by deadlines, talked to
// line by line, paused on the opponent's time and ended whole. POSIX:
// ChildProcess (process groups, subreapers, cgroups); Windows: JobProcess
// (a job object per engine).
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
  enum class Wait { Ready, Exited, InputClosed, DeadlinePassed, StopRequested };

  // Starts `argv` (argv[0] a path) in the folder `folderFd`. Throws
  // RefereeError with the system's reason when it cannot be started.
  EngineProcess(const std::vector<std::string>& argv, int folderFd, const EngineOptions& options);
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  // As ChildProcess.h describes them.
  Wait WaitForExit(Clock::time_point deadline);
  Wait ReadLine(Clock::time_point deadline, TextLine& line);
  bool TakeWaitingLine(TextLine& line);
  Wait Send(std::string_view bytes, Clock::time_point deadline);
  bool CheckMemory();
  void Pause();
  void Resume();
  void Finish();

  // Once it has ended.
  const std::optional<Exit>& exit() const;
  // What it wrote (talking: to standard error), at most the limit.
  const std::string& output() const;
  // Whether it wrote more than the limit (the rest was read and dropped).
  bool outputCut() const;

 private:
  struct Native;
  std::unique_ptr<Native> native_;
  mutable std::optional<Exit> exit_;
};

}  // namespace fiverow::match
