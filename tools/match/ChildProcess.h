// One process the referee runs, treated as hostile: started in a folder given
// as a handle, in a process group of its own, with its standard input from
// /dev/null and its standard output and error captured into a bounded
// buffer; waited for without polling; and killed with everything it started.
//
// Started processes get SIGKILL when the thread that started them ends (a
// parent-death signal), so they die even if the referee is killed outright;
// they are child subreapers (see ChildReaper.h). No state is shared between
// instances beyond the registry of live children, so several threads may
// each run their own.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/UniqueFd.h"

namespace fiverow::match {

class ChildProcess {
 public:
  using Clock = std::chrono::steady_clock;

  struct Exit {
    bool signalled = false;  // killed by a signal rather than exited
    int code = 0;            // the exit status, or the signal number
  };

  // Starts `argv` (argv[0] a path: no PATH search here) with `folderFd` as
  // its working folder, keeping at most `outputLimit` bytes of its output.
  // Throws RefereeError with the system's reason when it cannot be started.
  ChildProcess(const std::vector<std::string>& argv, int folderFd, std::size_t outputLimit);
  // Finish(), if not done.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  enum class Wait { Exited, DeadlinePassed, StopRequested };
  // Blocks until the process exits, the deadline passes or the referee is
  // told to stop (StopSignals.h), taking its output meanwhile. An exit kills
  // the rest of its process group at once.
  Wait WaitForExit(Clock::time_point deadline);

  // Kills the process, its group and every process it left behind, reaps
  // them all, and takes the rest of the output.
  void Finish();

  pid_t pid() const { return pid_; }
  // Once it has ended.
  const std::optional<Exit>& exit() const { return exit_; }
  const std::string& output() const { return output_; }
  // Whether it wrote more than the limit (the rest was read and dropped).
  bool outputCut() const { return outputCut_; }

 private:
  void TakeOutput();
  void Reap(bool block);

  pid_t pid_ = -1;
  tools::UniqueFd pidFd_;
  tools::UniqueFd outputFd_;
  std::size_t outputLimit_;
  std::string output_;
  bool outputCut_ = false;
  std::optional<Exit> exit_;
  bool finished_ = false;
};

}  // namespace fiverow::match
