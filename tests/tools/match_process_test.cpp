// Running an engine's move: exit status, signals, output, the time limit, and
// nothing left running afterwards; finding the referee's children.
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "ToolRun.h"
#include "common/UniqueFd.h"
#include "process/CpuPin.h"
#include "process/RefereeError.h"
#include "process/RunToExit.h"
#include "process/posix/ChildProcess.h"
#include "process/posix/ChildReaper.h"
#include "process/posix/CpuOrder.h"
#include "process/posix/MemoryGroups.h"
#include "process/posix/MemoryUse.h"
#include "process/posix/ProcessTable.h"
#include "process/posix/SmallFile.h"
#include "protocol/LineSplitter.h"

namespace fiverow::match {
namespace {

using fiverow::testing::ProcessAlive;
using fiverow::testing::ReadWholeFile;
using fiverow::testing::TempFolder;

RunOutcome RunShell(const std::string& script, const std::string& folder, double limit = 5.0) {
  const tools::UniqueFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return RunToExit({"/bin/sh", "-c", script}, folderFd.get(), limit);
}

// Waits a little for killed processes to go.
bool GoneSoon(int pid) {
  for (int i = 0; i < 100 && ProcessAlive(pid); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !ProcessAlive(pid);
}

TEST(RunToExit, ReportsExitStatusAndOutputAndRunsInItsFolder) {
  const TempFolder folder;
  const RunOutcome outcome = RunShell("pwd; echo oops >&2; exit 3", folder.path());
  EXPECT_EQ(outcome.end, RunOutcome::End::Exited);
  EXPECT_EQ(outcome.code, 3);
  EXPECT_NE(outcome.output.find(folder.path()), std::string::npos);
  EXPECT_NE(outcome.output.find("oops"), std::string::npos);
}

TEST(RunToExit, ReportsAFatalSignal) {
  const TempFolder folder;
  const RunOutcome outcome = RunShell("kill -SEGV $$", folder.path());
  EXPECT_EQ(outcome.end, RunOutcome::End::Signalled);
  EXPECT_EQ(outcome.code, SIGSEGV);
}

TEST(RunToExit, KillsTheEngineAndItsChildrenAtTheTimeLimit) {
  const TempFolder folder;
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome outcome =
      RunShell("sleep 30 & echo $! > child; exec sleep 30", folder.path(), 0.3);
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(outcome.end, RunOutcome::End::TimedOut);
  EXPECT_GE(took, 0.3);
  EXPECT_LT(took, 2.0);
  const int child = std::stoi(ReadWholeFile(folder / "child"));
  EXPECT_TRUE(GoneSoon(child));
}

TEST(RunToExit, LeavesNothingRunningAfterANormalExit) {
  const TempFolder folder;
  // The child keeps the output pipe open; the move must still end promptly.
  const RunOutcome outcome = RunShell("sleep 30 & echo $! > child; exit 0", folder.path());
  EXPECT_EQ(outcome.end, RunOutcome::End::Exited);
  EXPECT_LT(outcome.seconds, 2.0);
  EXPECT_TRUE(GoneSoon(std::stoi(ReadWholeFile(folder / "child"))));
}

TEST(RunToExit, CapsTheOutputItKeeps) {
  const TempFolder folder;
  const RunOutcome outcome = RunShell("head -c 300000 /dev/zero; exit 1", folder.path());
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.output.size(), 64u * 1024u);
  EXPECT_TRUE(outcome.outputCut);
}

// ThreadSanitizer runs vfork as fork: the child then sets its start error in
// its own copy of the referee's memory, and the referee sees only its exit.
#if defined(__SANITIZE_THREAD__)
constexpr bool kVforkRunsAsFork = true;
#else
constexpr bool kVforkRunsAsFork = false;
#endif

TEST(RunToExit, AProgramThatCannotStartIsTheRefereesFailure) {
  const TempFolder folder;
  if (kVforkRunsAsFork) {
    for (const int folderFd : {AT_FDCWD, -1}) {
      const RunOutcome outcome = RunToExit({folder / "no-such-engine"}, folderFd, 1.0);
      EXPECT_EQ(outcome.end, RunOutcome::End::Exited);
      EXPECT_EQ(outcome.code, 127);
    }
    return;
  }
  EXPECT_THROW(RunToExit({folder / "no-such-engine"}, AT_FDCWD, 1.0), RefereeError);
  EXPECT_THROW(RunToExit({"/bin/true"}, -1, 1.0), RefereeError);  // no folder
}

std::vector<pid_t> Sorted(std::vector<pid_t> pids) {
  std::sort(pids.begin(), pids.end());
  return pids;
}

pid_t Sleeper() {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::pause();
    ::_exit(0);
  }
  return pid;
}

// A sleeping child that has started a sleeping child of its own: both pids.
std::pair<pid_t, pid_t> SleeperWithChild() {
  int ends[2];
  if (::pipe(ends) != 0) return {-1, -1};
  const pid_t child = ::fork();
  if (child == 0) {
    const pid_t grandchild = Sleeper();
    [[maybe_unused]] const ssize_t sent = ::write(ends[1], &grandchild, sizeof grandchild);
    ::pause();
    ::_exit(0);
  }
  pid_t grandchild = -1;
  if (::read(ends[0], &grandchild, sizeof grandchild) != ssize_t{sizeof grandchild})
    grandchild = -1;
  ::close(ends[0]);
  ::close(ends[1]);
  return {child, grandchild};
}

TEST(CpuOrder, GivesEachCoreAGameBeforeAnyCoreASecond) {
  EXPECT_EQ(ParseCpuList("0-2,5,7-8\n"), (std::vector<int>{0, 1, 2, 5, 7, 8}));
  EXPECT_EQ(ParseCpuList(""), std::vector<int>{});
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  for (const int cpu : {0, 1, 2, 3, 5}) CPU_SET(static_cast<std::size_t>(cpu), &allowed);
  // Threads of a core numbered side by side, and numbered a half apart; 5 a
  // core of its own, and 4, its sibling, not allowed.
  const auto adjacent = [](int cpu) {
    return std::to_string(cpu - cpu % 2) + "-" + std::to_string(cpu - cpu % 2 + 1);
  };
  EXPECT_EQ(SpreadOrder(allowed, adjacent), (std::vector<int>{0, 2, 5, 1, 3}));
  const auto halves = [](int cpu) {
    return cpu > 3 ? "4-5" : std::to_string(cpu % 2) + "," + std::to_string(cpu % 2 + 2);
  };
  EXPECT_EQ(SpreadOrder(allowed, halves), (std::vector<int>{0, 1, 5, 2, 3}));
}

TEST(CpuPin, HoldsTheThreadAndWhatItStartsToOneCpuRoundRobinThenLetsGo) {
  cpu_set_t before;
  ASSERT_EQ(::sched_getaffinity(0, sizeof before, &before), 0);
  const TempFolder folder;
  int first = -1;
  {
    const CpuPin pin(0);
    first = pin.cpu();
    ASSERT_GE(first, 0);
    // A grandchild too: the engine's tree, not the engine alone.
    const RunOutcome outcome =
        RunShell("sh -c 'grep Cpus_allowed_list /proc/self/status'", folder.path());
    EXPECT_EQ(outcome.output, "Cpus_allowed_list:\t" + std::to_string(first) + "\n");
  }
  cpu_set_t after;
  ASSERT_EQ(::sched_getaffinity(0, sizeof after, &after), 0);
  EXPECT_TRUE(CPU_EQUAL(&before, &after));
  // The slots after the last CPU start again from the first.
  EXPECT_EQ(CpuPin(CPU_COUNT(&before)).cpu(), first);
  if (CPU_COUNT(&before) > 1) {
    EXPECT_NE(CpuPin(1).cpu(), first);
  }
}

TEST(ChildReaper, TheScanOfProcFindsEveryChildAndNoGrandchild) {
  const pid_t first = Sleeper();
  const auto [second, grandchild] = SleeperWithChild();
  ASSERT_GT(grandchild, 0);
  EXPECT_EQ(Sorted(ScanForChildren()), Sorted({first, second}));
  // Again, with the processes met before known to be no descendants.
  EXPECT_EQ(Sorted(ScanForChildren()), Sorted({first, second}));
  const pid_t third = Sleeper();
  EXPECT_EQ(Sorted(ScanForChildren()), Sorted({first, second, third}));
  for (const pid_t pid : {first, second, third, grandchild}) ::kill(pid, SIGKILL);
  for (const pid_t pid : {first, second, third}) ::waitpid(pid, nullptr, 0);
}

// Engines run on other threads, each leaving a process in a session of its
// own: their runs end those too, wherever the kernel hands them over.
TEST(ChildReaper, EndsWhatEnginesOnOtherThreadsLeftBehind) {
  AdoptOrphans();
  const TempFolder first;
  const TempFolder second;
  const std::string script =
      "setsid -f sh -c 'echo $$ > stray; exec sleep 30'; until [ -s stray ]; do sleep 0.01; done";
  std::thread one([&] { RunShell(script, first.path()); });
  std::thread other([&] { RunShell(script, second.path()); });
  one.join();
  other.join();
  for (const TempFolder* folder : {&first, &second})
    EXPECT_FALSE(ProcessAlive(std::stoi(ReadWholeFile(*folder / "stray"))));
}

bool Has(const std::vector<ProcessEntry>& found, pid_t pid, pid_t parent) {
  return std::any_of(found.begin(), found.end(), [&](const ProcessEntry& entry) {
    return entry.pid == pid && entry.parent == parent;
  });
}

TEST(ProcessTable, FindsEveryDescendantWithItsParent) {
  const auto [child, grandchild] = SleeperWithChild();
  ASSERT_GT(grandchild, 0);
  const std::vector<ProcessEntry> mine = Descendants(::getpid());
  EXPECT_TRUE(Has(mine, child, ::getpid()));
  EXPECT_TRUE(Has(mine, grandchild, child));
  // Through a reader kept open, read again.
  TaskChildren childsTasks(child);
  for (int read = 0; read < 2; ++read) {
    const std::vector<ProcessEntry> below = Descendants(child, &childsTasks);
    ASSERT_EQ(below.size(), 1u);
    EXPECT_TRUE(Has(below, grandchild, child));
  }
  EXPECT_EQ(ParentOf(grandchild), child);
  for (const pid_t pid : {child, grandchild}) ::kill(pid, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(ParentOf(child), std::nullopt);
}

TEST(SmallFile, ReadsToItsEndOrItsLimitFromAFolder) {
  const TempFolder folder;
  const std::string text = std::string(10000, 'x') + "end";
  fiverow::testing::WriteWholeFile(folder / "big", text);
  const tools::UniqueFd dir(::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  EXPECT_EQ(ReadSmallFile(dir.get(), "big"), text);
  EXPECT_EQ(ReadSmallFile(dir.get(), "big", 5000), text.substr(0, 5000));
  EXPECT_EQ(ReadSmallFile(dir.get(), "missing"), "");
  // /proc shows its files with no size.
  EXPECT_TRUE(
      ReadSmallFile(AT_FDCWD, "/proc/self/stat").starts_with(std::to_string(::getpid()) + " ("));
}

TEST(EngineLines, EndAtAnyLineEndWhereverReadsSplitThemAndStayBounded) {
  protocol::LineSplitter lines(8);
  std::vector<protocol::TextLine> taken;
  for (const char* block : {"OK\r", "\n10,", "10\nMESSAGE a\rDEBUG", "\r\r\n", "123456789abc\n"}) {
    lines.Add(block);
    while (lines.HasLine()) taken.push_back(lines.Take());
  }
  ASSERT_EQ(taken.size(), 5u);
  EXPECT_EQ(taken[0].text, "OK");
  EXPECT_EQ(taken[1].text, "10,10");
  EXPECT_EQ(taken[2].text, "MESSAGE ");
  EXPECT_TRUE(taken[2].cut);
  EXPECT_EQ(taken[3].text, "DEBUG");
  EXPECT_EQ(taken[4].text, "12345678");
  EXPECT_TRUE(taken[4].cut);
}

TEST(HeldMemory, EachMeasureThroughTheKeptHandleIsAfresh) {
  const HeldMemory held(::getpid());
  const std::uint64_t before = held.Bytes();
  ASSERT_GT(before, 0u);
  std::vector<char> grown(64 << 20, 1);
  EXPECT_GE(held.Bytes(), before + (60u << 20));
  EXPECT_EQ(grown[grown.size() / 2], 1);  // held until measured
  EXPECT_EQ(HeldMemory(-1).Bytes(), 0u);
}

// A sample that finds the engine over its budget kills it; the lines it wrote
// before still come, but it is not within its budget, so a move among them
// cannot count, wherever the sample fell. The engine answers the move after
// taking 100 MB; its answers are copied to a file, read here to know that
// they were written, without the referee reading them first.
TEST(ChildProcess, AnEngineKilledOverItsBudgetIsNeverWithinIt) {
  ::setenv("FIVEROW_NO_CGROUP", "1", 1);  // measured alone, whatever the host
  const TempFolder tmp;
  const tools::UniqueFd folder(::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  ChildProcess engine({"/bin/sh", "-c", "\"$0\" pipe hog | tee said", FIVEROW_FAKE_ENGINE_PATH},
                      folder.get(), {.talking = true, .memoryBudget = std::uint64_t{64} << 20});
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), 60);
  ASSERT_EQ(engine.Send("START 20\nBEGIN\n", deadline), ChildProcess::Wait::Ready);
  const auto lines = [&tmp] {
    const std::string said = ReadWholeFile(tmp / "said");
    return std::count(said.begin(), said.end(), '\n');
  };
  while (lines() < 2) {
    ASSERT_LT(Clock::now(), deadline);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  TextLine line;
  ASSERT_EQ(engine.ReadLine(deadline, line), ChildProcess::Wait::Ready);
  EXPECT_EQ(line.text, "OK");
  ASSERT_EQ(engine.ReadLine(deadline, line), ChildProcess::Wait::Ready);
  EXPECT_FALSE(engine.CheckMemory());
  ASSERT_TRUE(engine.exit());
  EXPECT_GT(engine.exit()->overBudgetBytes.value_or(0), std::uint64_t{64} << 20);
}

// A cgroup is divided only when it was made for the referee: its own, not
// the root, owned by it, with the memory controller, and holding nothing else.
TEST(MemoryGroups, OnlyACgroupOfTheRefereesOwnIsDivided) {
  const TempFolder mount;
  const std::string folder = mount / "user.slice/run-1.scope";
  std::filesystem::create_directories(folder);
  const pid_t self = ::getpid();
  const auto write = [&](const std::string& name, const std::string& text) {
    fiverow::testing::WriteWholeFile(folder + "/" + name, text);
  };
  write("cgroup.controllers", "cpu io memory pids\n");
  write("cgroup.subtree_control", "");
  write("cgroup.procs", std::to_string(self) + "\n");
  const std::string mine = "0::/user.slice/run-1.scope\n";
  EXPECT_EQ(DelegatedCgroup(mine, mount.path(), self, ::geteuid()), folder);
  // A hybrid host lists v1 hierarchies too; only the v2 line counts.
  EXPECT_EQ(DelegatedCgroup("4:memory:/x\n" + mine, mount.path(), self, ::geteuid()), folder);
  EXPECT_FALSE(DelegatedCgroup("0::/\n", mount.path(), self, ::geteuid()));
  EXPECT_FALSE(DelegatedCgroup("4:memory:/x\n", mount.path(), self, ::geteuid()));
  EXPECT_FALSE(DelegatedCgroup(mine, "", self, ::geteuid()));
  EXPECT_FALSE(DelegatedCgroup(mine, mount.path(), self, ::geteuid() + 1));
  write("cgroup.procs", std::to_string(self) + "\n1\n");  // shared with another process
  EXPECT_FALSE(DelegatedCgroup(mine, mount.path(), self, ::geteuid()));
  write("cgroup.procs", std::to_string(self) + "\n");
  write("cgroup.controllers", "cpu pids\n");
  EXPECT_FALSE(DelegatedCgroup(mine, mount.path(), self, ::geteuid()));
}

}  // namespace
}  // namespace fiverow::match
