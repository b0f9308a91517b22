#include "process/posix/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <span>

#include "process/RefereeError.h"
#include "process/StopSignals.h"
#include "process/posix/ChildReaper.h"
#include "process/posix/MemoryUse.h"
#include "process/posix/ProcessHandle.h"
#include "process/posix/ProcessTable.h"

extern char** environ;

namespace fiverow::match {

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizerBuild = true;
#else
constexpr bool kSanitizerBuild = false;
#endif

// The bytes one read of its output takes at most.
constexpr std::size_t kReadBlock = 16384;

// Reads at most, once a process has ended: what it started may write on
// until it is killed too.
constexpr int kReadsAfterExit = 64;

// waitid with the resource usage, which only the system call itself reports.
int WaitByHandle(int pidFd, siginfo_t& info, int options, rusage& usage) {
  return static_cast<int>(::syscall(SYS_waitid, P_PIDFD, pidFd, &info, options | WEXITED, &usage));
}

struct ChildSetup {
  char* const* argv;
  char* const* shellArgv;  // /bin/sh and argv, for a script without "#!"
  int folderFd;
  int inputFd;
  int outputFd;
  int errorFd;
  const rlimit* memory;  // none for no limit
  int cgroupFd;          // cgroup.procs of the group it joins; -1 for none
  pid_t parent;
  const sigset_t* mask;
  int* startError;  // set by the child when it cannot start the program
};

// In the child, between vfork and exec, in the referee's memory: only
// async-signal-safe system calls, and no write but to `startError`.
[[noreturn]] void RunChild(const ChildSetup& setup) {
  // The referee's handlers and ignored SIGPIPE and SIGXFSZ are not the
  // engine's; signals are blocked until the exec.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    if (current.sa_handler != SIG_DFL &&
        (current.sa_handler != SIG_IGN || signal == SIGPIPE || signal == SIGXFSZ)) {
      ::sigaction(signal, &fallback, nullptr);
    }
  }
  ::setpgid(0, 0);
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != setup.parent) ::_exit(127);  // the referee is already gone
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  // Into its memory group before it can allocate anything of its own.
  if (setup.cgroupFd >= 0 && ::write(setup.cgroupFd, "0", 1) != 1) ::_exit(127);
  if (::fchdir(setup.folderFd) == 0 && ::dup2(setup.inputFd, STDIN_FILENO) >= 0 &&
      ::dup2(setup.outputFd, STDOUT_FILENO) >= 0 && ::dup2(setup.errorFd, STDERR_FILENO) >= 0) {
    // Nothing of the referee's but the three standard handles reaches it.
    ::close_range(3, ~0u, 0);
    ::sigprocmask(SIG_SETMASK, setup.mask, nullptr);
    // Last before the exec: the limit also holds for the referee's memory,
    // which the child still borrows.
    if (setup.memory == nullptr || ::setrlimit(RLIMIT_AS, setup.memory) == 0) {
      ::execve(setup.argv[0], setup.argv, environ);
      // A script without "#!" runs in the shell, as a shell would run it.
      if (errno == ENOEXEC) ::execve(setup.shellArgv[0], setup.shellArgv, environ);
    }
  }
  *setup.startError = errno;
  ::_exit(127);
}

struct Pipe {
  tools::UniqueFd read;
  tools::UniqueFd write;
};

Pipe MakePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw RefereeError(SystemErrorText("cannot create a pipe", errno));
  return {tools::UniqueFd(ends[0]), tools::UniqueFd(ends[1])};
}

// One read from a non-blocking `fd` into `buffer`: what it read, nothing
// when nothing was waiting. Closes `fd` at its end.
std::string_view ReadBlock(tools::UniqueFd& fd, std::span<char> buffer) {
  if (!fd) return {};
  ssize_t got;
  do {
    got = ::read(fd.get(), buffer.data(), buffer.size());
  } while (got < 0 && errno == EINTR);
  if (got < 0 && errno == EAGAIN) return {};
  if (got <= 0) {
    fd.Reset();
    return {};
  }
  return {buffer.data(), static_cast<std::size_t>(got)};
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, int folderFd,
                           const EngineOptions& options)
    : lines_(kLineLimit) {
  std::vector<char*> args;
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);
  static char shell[] = "/bin/sh";
  std::vector<char*> shellArgs{shell};
  shellArgs.insert(shellArgs.end(), args.begin(), args.end());
  budget_ = options.memoryBudget;
  if (budget_) {
    nextSample_ = Clock::now();
    if (MemoryGroups* groups = MemoryGroups::Delegated()) group_ = groups->NewGroup(*budget_);
  }

  Pipe input;
  Pipe lines;
  if (options.talking) {
    input = MakePipe();
    lines = MakePipe();
  } else {
    input.read.Reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!input.read) throw RefereeError(SystemErrorText("cannot open /dev/null", errno));
  }
  Pipe output = MakePipe();
  rlimit memory{};
  if (budget_) memory.rlim_cur = memory.rlim_max = AddressSpaceFor(*budget_);
  // A referee built with a sanitizer runs engines built with it too, which
  // reserve terabytes of address space for their shadow memory: they are
  // held to their budget by measuring alone.
  const bool limitAddressSpace = budget_ && !kSanitizerBuild;

  // vfork, not fork: the child borrows the referee's memory until its exec,
  // which keeps a start as cheap as posix_spawn's (copying the referee for
  // fork costs about a millisecond a move), and a failure to start is known
  // once vfork returns. Signals stay blocked meanwhile, so no handler of the
  // referee's runs in the child.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  int startError = 0;
  const ChildSetup setup{args.data(),
                         shellArgs.data(),
                         folderFd,
                         input.read.get(),
                         options.talking ? lines.write.get() : output.write.get(),
                         output.write.get(),
                         limitAddressSpace ? &memory : nullptr,
                         group_ ? group_->procs.get() : -1,
                         ::getpid(),
                         &previous,
                         &startError};
  int forkError = 0;
  pid_ = StartLiveChild([&setup, &forkError] {
    const pid_t pid = ::vfork();
    if (pid == 0) RunChild(setup);
    forkError = errno;
    return pid;
  });
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (pid_ < 0) throw RefereeError(SystemErrorText("cannot start an engine", forkError));
  input.read.Reset();
  lines.write.Reset();
  output.write.Reset();

  pidFd_.Reset(OpenProcessHandle(pid_));
  if (!pidFd_) {
    const int error = errno;
    ::kill(pid_, SIGKILL);
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED);
    ForgetLiveChild(pid_);
    finished_ = true;
    throw RefereeError(SystemErrorText("cannot watch an engine", error));
  }
  inputFd_ = std::move(input.write);
  linesFd_ = std::move(lines.read);
  outputFd_ = std::move(output.read);
  for (const int fd : {inputFd_.get(), linesFd_.get(), outputFd_.get()}) {
    if (fd >= 0) ::fcntl(fd, F_SETFL, O_NONBLOCK);
  }

  if (startError != 0) {
    Finish();
    throw RefereeError(
        SystemErrorText("cannot start the engine \"" + argv.front() + "\"", startError));
  }
}

ChildProcess::~ChildProcess() { Finish(); }

ChildProcess::Wait ChildProcess::WaitForExit(Clock::time_point deadline) {
  return Await(Want::Exit, deadline);
}

ChildProcess::Wait ChildProcess::ReadLine(Clock::time_point deadline, TextLine& line) {
  const Wait wait = Await(Want::Line, deadline);
  if (wait == Wait::Ready) line = lines_.Take();
  return wait;
}

bool ChildProcess::TakeWaitingLine(TextLine& line) {
  // A bounded number of reads, so that output without a line end cannot
  // hold the referee.
  for (int reads = 0; reads < 64 && !lines_.HasLine() && !lines_.Full() && TakeLines(true);)
    ++reads;
  if (!lines_.HasLine()) return false;
  line = lines_.Take();
  return true;
}

ChildProcess::Wait ChildProcess::Send(std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    if (exit_) return Wait::Exited;
    const ssize_t written = ::write(inputFd_.get(), bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written < 0 && errno == EAGAIN) {
      Resume();  // a paused process could not make room
      if (const Wait wait = Await(Want::Room, deadline); wait != Wait::Ready) return wait;
    } else if (written < 0 && errno != EINTR) {
      return Wait::InputClosed;  // EPIPE: nothing reads it any more
    }
  }
  return Wait::Ready;
}

ChildProcess::Wait ChildProcess::Await(Want want, Clock::time_point deadline) {
  while (true) {
    const Clock::time_point now = Clock::now();
    const bool late = now >= deadline;
    if (want == Want::Line && lines_.HasLine() && !late) return Wait::Ready;
    if (!exit_ && !paused_ && now >= nextSample_) CheckMemory();
    if (exit_) {
      // The lines it wrote before it ended still count; a bounded number of
      // reads, since what it started may go on writing until it is killed.
      for (int reads = 0; reads < kReadsAfterExit && want == Want::Line && !lines_.HasLine() &&
                          Clock::now() < deadline && TakeLines(true);) {
        ++reads;
      }
      return want == Want::Line && lines_.HasLine() && !late ? Wait::Ready : Wait::Exited;
    }
    if (late) return Wait::DeadlinePassed;

    pollfd watched[5] = {{pidFd_.get(), POLLIN, 0},
                         {StopNotificationFd(), POLLIN, 0},
                         {outputFd_.get(), POLLIN, 0},
                         {lines_.Full() && want != Want::Exit ? -1 : linesFd_.get(), POLLIN, 0},
                         {want == Want::Room ? inputFd_.get() : -1, POLLOUT, 0}};
    const Clock::time_point wake = paused_ ? deadline : std::min(deadline, nextSample_);
    if (::ppoll(watched, 5, TimeoutUntil(wake).get(), nullptr) < 0) {
      if (errno == EINTR) continue;
      throw RefereeError(SystemErrorText("cannot wait for an engine", errno));
    }
    if (watched[1].revents != 0) return Wait::StopRequested;
    if (watched[2].revents != 0) TakeOutput();
    if (watched[3].revents != 0) TakeLines(want != Want::Exit);
    if (watched[4].revents != 0) return Wait::Ready;  // room, or an error the write will tell
    if (watched[0].revents != 0) Reap(false);
  }
}

bool ChildProcess::CheckMemory() {
  // Once killed for it, never within: a line it wrote before still comes.
  if (overBudget_) return false;
  if (!budget_ || exit_ || finished_) return true;
  nextSample_ = DeadlineAfter(Clock::now(), kMemorySampleSeconds);
  if (!held_) held_ = std::make_unique<HeldMemory>(pid_);
  std::uint64_t held = held_->Bytes();
  // Paused, the tree is the one the pause found and stopped: nothing in it
  // can start another process or take more memory until it is resumed.
  if (!children_) children_ = std::make_unique<TaskChildren>(pid_);
  const std::vector<ProcessEntry> tree = paused_ ? pausedTree_ : Descendants(pid_, children_.get());
  for (const ProcessEntry& process : tree) held += HeldBytes(process.pid);
  measuredPaused_ = paused_;
  if (held <= *budget_) return true;
  overBudget_ = held;
  KillByHandle(pidFd_.get(), SIGKILL);
  Reap(true);
  return false;
}

void ChildProcess::Pause() {
  // Only while the leader is unreaped, which keeps the group's number from
  // being reused.
  if (exit_ || finished_ || paused_) return;
  ::kill(-pid_, SIGSTOP);
  paused_ = true;
  // What it started outside its group, in another group or session. A
  // process is stopped through a handle, and only once the handle shows it
  // still the child of the parent it was found under, so that a number
  // reused meanwhile is never stopped.
  if (!children_) children_ = std::make_unique<TaskChildren>(pid_);
  pausedTree_ = Descendants(pid_, children_.get());
  for (const ProcessEntry& process : pausedTree_) {
    tools::UniqueFd handle(OpenProcessHandle(process.pid));
    if (!handle || ParentOf(process.pid) != process.parent) continue;
    KillByHandle(handle.get(), SIGSTOP);
    stopped_.push_back(std::move(handle));
  }
}

void ChildProcess::Resume() {
  if (exit_ || finished_ || !paused_) return;
  ::kill(-pid_, SIGCONT);
  for (const tools::UniqueFd& handle : stopped_) KillByHandle(handle.get(), SIGCONT);
  stopped_.clear();
  paused_ = false;
  // Measured while paused, it holds what it held then.
  if (budget_ && !measuredPaused_) nextSample_ = Clock::now();
  measuredPaused_ = false;
}

void ChildProcess::Reap(bool block) {
  // The group goes first, while the unreaped leader keeps its number from
  // being reused.
  ::kill(-pid_, SIGKILL);
  siginfo_t info{};
  rusage usage{};
  int result;
  do {
    result = WaitByHandle(pidFd_.get(), info, block ? 0 : WNOHANG, usage);
  } while (result != 0 && errno == EINTR);
  if (result != 0 || info.si_pid == 0) return;
  exit_ = Exit{info.si_code != CLD_EXITED, info.si_status, usage.ru_maxrss, overBudget_,
               group_ && MemoryGroups::OutOfMemory(*group_)};
}

void ChildProcess::Finish() {
  if (finished_) return;
  finished_ = true;
  if (!exit_) {
    KillByHandle(pidFd_.get(), SIGKILL);
    Reap(true);
  }
  ForgetLiveChild(pid_);
  KillStrays();
  if (group_) MemoryGroups::Remove(*group_);
  // Whatever is left, in a bounded number of reads: every writer is gone.
  for (int reads = 0; reads < kReadsAfterExit && TakeOutput();) ++reads;
  linesFd_.Reset();
  inputFd_.Reset();
}

bool ChildProcess::TakeOutput() {
  char buffer[kReadBlock];
  const std::string_view block = ReadBlock(outputFd_, buffer);
  if (block.empty()) return false;
  // Up to the limit in all; the rest is dropped.
  const std::size_t room = kOutputLimit - std::min(kOutputLimit, output_.size());
  output_.append(block.substr(0, room));
  if (block.size() > room) outputCut_ = true;
  return true;
}

bool ChildProcess::TakeLines(bool keep) {
  char buffer[kReadBlock];
  const std::string_view block = ReadBlock(linesFd_, buffer);
  if (block.empty()) return false;
  if (keep) lines_.Add(block);
  return true;
}

}  // namespace fiverow::match
