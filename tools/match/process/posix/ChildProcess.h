// One process the referee runs, treated as hostile: started in a folder given
// as a handle, in a process group of its own, optionally with a budget of
// memory for it and everything it starts; waited for without polling; and
// killed with everything it started.
//
// It runs in one of two ways. Run once (a file engine's move): standard input
// from /dev/null, standard output and error captured together into a bounded
// buffer. Talking (a pipe engine): the referee writes to its standard input
// through a pipe and reads its standard output line by line (LineSplitter),
// while its standard error is captured apart into the bounded buffer; lines
// not yet taken are bounded too, the engine waiting on its full pipe. Every
// wait watches the process's handle, its output and the referee's stop
// notification together in one poll, and ends by a deadline.
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
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/UniqueFd.h"
#include "process/Deadline.h"
#include "process/EngineProcess.h"
#include "process/posix/MemoryGroups.h"
#include "process/posix/MemoryUse.h"
#include "process/posix/ProcessTable.h"
#include "protocol/LineSplitter.h"

namespace fiverow::match {

inline constexpr double kMemorySampleSeconds = 0.05;

// The address-space limit that backs a memory budget.
constexpr std::uint64_t AddressSpaceFor(std::uint64_t budget) {
  return 4 * budget + (std::uint64_t{1} << 30);
}

// A memory budget (MemoryUse.h): the tree is measured at least every
// kMemorySampleSeconds while the referee waits for it, and killed once over;
// an address-space limit of four times the budget and 1 GiB more stops a
// spike between two samples, and where the referee may divide its cgroup,
// the kernel holds it to the budget too (MemoryGroups.h). Pausing is a
// SIGSTOP to its group and to each process it started outside it, resuming
// a SIGCONT. An exit kills the rest of its process group at once.
class ChildProcess final : public EngineProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, int folderFd, const EngineOptions& options);
  ~ChildProcess() override;

  Wait WaitForExit(Clock::time_point deadline) override;
  Wait ReadLine(Clock::time_point deadline, TextLine& line) override;
  bool TakeWaitingLine(TextLine& line) override;
  Wait Send(std::string_view bytes, Clock::time_point deadline) override;
  bool CheckMemory() override;
  void Pause() override;
  void Resume() override;
  void Finish() override;
  const std::optional<Exit>& exit() const override { return exit_; }
  const std::string& output() const override { return output_; }
  bool outputCut() const override { return outputCut_; }

 private:
  enum class Want { Exit, Line, Room };
  Wait Await(Want want, Clock::time_point deadline);
  // One read at most, so that an engine that writes without end cannot hold
  // the referee past a deadline. Whether it read anything. Lines are kept,
  // or read and dropped, as while waiting for an exit.
  bool TakeLines(bool keep);
  bool TakeOutput();
  void Reap(bool block);
  // The next time to measure the memory: now for none, far off without a budget.
  Clock::time_point nextSample_ = Clock::time_point::max();

  pid_t pid_ = -1;
  tools::UniqueFd pidFd_;
  tools::UniqueFd inputFd_;   // talking: its standard input
  tools::UniqueFd linesFd_;   // talking: its standard output
  tools::UniqueFd outputFd_;  // what is kept in output_
  protocol::LineSplitter lines_;
  std::string output_;
  bool outputCut_ = false;
  std::optional<Exit> exit_;
  std::optional<std::uint64_t> budget_;
  std::optional<MemoryGroups::Group> group_;
  std::optional<std::uint64_t> overBudget_;
  std::vector<tools::UniqueFd> stopped_;    // handles on the processes paused outside its group
  std::unique_ptr<TaskChildren> children_;  // where its children are listed, kept open
  std::vector<ProcessEntry> pausedTree_;    // what the last pause found below it
  std::unique_ptr<HeldMemory> held_;        // its memory, measured through a kept handle
  bool measuredPaused_ = false;             // measured since the last pause
  bool paused_ = false;
  bool finished_ = false;
};

}  // namespace fiverow::match
