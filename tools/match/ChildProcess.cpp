#include "match/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "match/ChildReaper.h"
#include "match/RefereeError.h"
#include "match/StopSignals.h"

extern char** environ;

namespace fiverow::match {

namespace {

// Process handles, by system call (not every C library declares them).
int OpenProcessHandle(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

void KillByHandle(int pidFd) { ::syscall(SYS_pidfd_send_signal, pidFd, SIGKILL, nullptr, 0); }

struct ChildSetup {
  char* const* argv;
  int folderFd;
  int inputFd;
  int outputFd;
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
  if (::fchdir(setup.folderFd) == 0 && ::dup2(setup.inputFd, STDIN_FILENO) >= 0 &&
      ::dup2(setup.outputFd, STDOUT_FILENO) >= 0 && ::dup2(setup.outputFd, STDERR_FILENO) >= 0) {
    // Nothing of the referee's but the three standard handles reaches it.
    ::close_range(3, ~0u, 0);
    ::sigprocmask(SIG_SETMASK, setup.mask, nullptr);
    ::execve(setup.argv[0], setup.argv, environ);
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

timespec TimeLeft(ChildProcess::Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - ChildProcess::Clock::now());
  if (left.count() <= 0) return {0, 0};
  return {static_cast<time_t>(left.count() / 1000000000),
          static_cast<long>(left.count() % 1000000000)};
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, int folderFd,
                           std::size_t outputLimit)
    : outputLimit_(outputLimit) {
  std::vector<char*> args;
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);

  const tools::UniqueFd input(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!input) throw RefereeError(SystemErrorText("cannot open /dev/null", errno));
  Pipe output = MakePipe();

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
  const ChildSetup setup{args.data(), folderFd,  input.get(), output.write.get(),
                         ::getpid(),  &previous, &startError};
  int forkError = 0;
  pid_ = StartLiveChild([&setup, &forkError] {
    const pid_t pid = ::vfork();
    if (pid == 0) RunChild(setup);
    forkError = errno;
    return pid;
  });
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (pid_ < 0) throw RefereeError(SystemErrorText("cannot start an engine", forkError));
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
  outputFd_ = std::move(output.read);
  ::fcntl(outputFd_.get(), F_SETFL, O_NONBLOCK);

  if (startError != 0) {
    Finish();
    throw RefereeError(
        SystemErrorText("cannot start the engine \"" + argv.front() + "\"", startError));
  }
}

ChildProcess::~ChildProcess() { Finish(); }

ChildProcess::Wait ChildProcess::WaitForExit(Clock::time_point deadline) {
  while (!exit_) {
    pollfd watched[3] = {
        {pidFd_.get(), POLLIN, 0}, {StopNotificationFd(), POLLIN, 0}, {outputFd_.get(), POLLIN, 0}};
    const nfds_t count = outputFd_ ? 3 : 2;
    const timespec left = TimeLeft(deadline);
    const int ready = ::ppoll(watched, count, &left, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      throw RefereeError(SystemErrorText("cannot wait for an engine", errno));
    }
    if (watched[1].revents != 0) return Wait::StopRequested;
    if (count == 3 && watched[2].revents != 0) TakeOutput();
    if (watched[0].revents != 0) Reap(false);
    if (!exit_ && (ready == 0 || Clock::now() >= deadline)) return Wait::DeadlinePassed;
  }
  return Wait::Exited;
}

void ChildProcess::Reap(bool block) {
  // The group goes first, while the unreaped leader keeps its number from
  // being reused.
  ::kill(-pid_, SIGKILL);
  siginfo_t info{};
  int result;
  do {
    result =
        ::waitid(P_PIDFD, static_cast<id_t>(pidFd_.get()), &info, WEXITED | (block ? 0 : WNOHANG));
  } while (result != 0 && errno == EINTR);
  if (result != 0 || info.si_pid == 0) return;
  exit_ = Exit{info.si_code != CLD_EXITED, info.si_status};
}

void ChildProcess::Finish() {
  if (finished_) return;
  finished_ = true;
  if (!exit_) {
    KillByHandle(pidFd_.get());
    Reap(true);
  }
  ForgetLiveChild(pid_);
  KillStrays();
  TakeOutput();
}

void ChildProcess::TakeOutput() {
  char buffer[16384];
  while (outputFd_) {
    const ssize_t got = ::read(outputFd_.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;
    if (got <= 0) {
      outputFd_.Reset();
      return;
    }
    const std::size_t kept = std::min(static_cast<std::size_t>(got), outputLimit_ - output_.size());
    output_.append(buffer, kept);
    if (kept < static_cast<std::size_t>(got)) outputCut_ = true;
  }
}

}  // namespace fiverow::match
