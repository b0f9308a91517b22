#include "match/EngineProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "match/RefereeError.h"

namespace fiverow::match {

namespace {

volatile sig_atomic_t gStopRequested = 0;

void OnStopSignal(int) { gStopRequested = 1; }

constexpr std::size_t kOutputCap = 64 * 1024;

class Pipe {
 public:
  Pipe() {
    if (::pipe2(ends_, O_CLOEXEC) != 0)
      throw RefereeError(SystemErrorText("cannot create a pipe", errno));
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int read() const { return ends_[0]; }
  int write() const { return ends_[1]; }
  void CloseRead() { Close(ends_[0]); }
  void CloseWrite() { Close(ends_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int ends_[2] = {-1, -1};
};

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(char* const* argv, const char* folder, int outputFd,
                             int startErrorFd) {
  ::setpgid(0, 0);
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  ::signal(SIGHUP, SIG_DFL);
  ::signal(SIGPIPE, SIG_DFL);
  int error = 0;
  const int nullFd = ::open("/dev/null", O_RDONLY);
  if (::chdir(folder) != 0 || nullFd < 0 || ::dup2(nullFd, STDIN_FILENO) < 0 ||
      ::dup2(outputFd, STDOUT_FILENO) < 0 || ::dup2(outputFd, STDERR_FILENO) < 0) {
    error = errno;
  } else {
    ::execvp(argv[0], argv);
    error = errno;
  }
  // The start-error pipe closes on a successful exec; a value means failure.
  [[maybe_unused]] const ssize_t written = ::write(startErrorFd, &error, sizeof error);
  ::_exit(127);
}

// Reads what is there; false once the writing ends are all closed.
bool ReadAvailable(int fd, std::string& output) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got < 0) return errno == EINTR || errno == EAGAIN;
  if (got == 0) return false;
  if (output.size() < kOutputCap) {
    output.append(buffer, std::min(static_cast<std::size_t>(got), kOutputCap - output.size()));
  }
  return true;
}

void Drain(int fd, std::string& output) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  char buffer[4096];
  while (true) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) return;
    if (output.size() < kOutputCap) {
      output.append(buffer, std::min(static_cast<std::size_t>(got), kOutputCap - output.size()));
    }
  }
}

void KillGroup(pid_t group) { ::kill(-group, SIGKILL); }

RunOutcome::End EndOf(int status, int& code) {
  if (WIFSIGNALED(status)) {
    code = WTERMSIG(status);
    return RunOutcome::End::Signalled;
  }
  code = WEXITSTATUS(status);
  return RunOutcome::End::Exited;
}

}  // namespace

RunOutcome RunEngineProcess(const std::vector<std::string>& argv, const std::string& folder,
                            double limitSeconds) {
  std::vector<char*> args;
  for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);

  Pipe output;
  Pipe startError;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(limitSeconds));

  const pid_t pid = ::fork();
  if (pid < 0) throw RefereeError(SystemErrorText("cannot start an engine", errno));
  if (pid == 0) StartChild(args.data(), folder.c_str(), output.write(), startError.write());
  ::setpgid(pid, pid);  // also here, so the group exists before any kill
  output.CloseWrite();
  startError.CloseWrite();

  int startErrno = 0;
  ssize_t got;
  do {
    got = ::read(startError.read(), &startErrno, sizeof startErrno);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof startErrno)) {
    ::waitpid(pid, nullptr, 0);
    throw RefereeError(
        SystemErrorText("cannot start the engine \"" + argv.front() + "\"", startErrno));
  }

  RunOutcome outcome;
  bool outputOpen = true;
  while (true) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      outcome.end = EndOf(status, outcome.code);
      break;
    }
    if (gStopRequested) {
      KillGroup(pid);
      ::waitpid(pid, nullptr, 0);
      throw Interrupted();
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
      KillGroup(pid);
      ::waitpid(pid, nullptr, 0);
      outcome.end = RunOutcome::End::TimedOut;
      outcome.code = SIGKILL;
      break;
    }
    // Wait for output or the pipe's closing at the engine's exit; once the
    // pipe is closed, poll for the exit in short steps.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    const int wait = static_cast<int>(std::min<long long>(outputOpen ? 50 : 1, left + 1));
    pollfd watch{outputOpen ? output.read() : -1, POLLIN, 0};
    if (::poll(&watch, 1, wait) > 0 && watch.revents != 0) {
      outputOpen = ReadAvailable(output.read(), outcome.output);
    }
  }
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  // Whatever the engine started and left running goes with it.
  KillGroup(pid);
  Drain(output.read(), outcome.output);
  return outcome;
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::sigaction(signal, &action, nullptr);
}

bool StopRequested() { return gStopRequested != 0; }

}  // namespace fiverow::match
