#include "process/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "process/RefereeError.h"
#include "runtime/Console.h"

namespace fiverow::match {

namespace {

std::atomic<int> gStopRequested{0};
int gStopPipe[2] = {-1, -1};
// The thread that caught the signals, which writes the referee's output.
pid_t gMainThread = 0;

void WakeWaiters() {
  // Never read: the pipe stays readable and wakes every waiter.
  [[maybe_unused]] const ssize_t written = ::write(gStopPipe[1], "s", 1);
}

void OnStopSignal(int signal) {
  const int saved = errno;
  gStopRequested.store(1);
  WakeWaiters();
  // A signal taken by another thread is passed on, so that a write of the
  // main thread blocked on a full pipe or a stopped terminal ends too.
  if (::gettid() != gMainThread) ::tgkill(::getpid(), gMainThread, signal);
  errno = saved;
}

constexpr int kStopSignals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,  SIGALRM,
                                SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,   SIGPWR,  SIGSTKFLT};

void Catch(int signal, const struct sigaction& action) {
  struct sigaction previous {};
  if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

void CatchStopSignals() {
  if (gStopPipe[0] < 0 && ::pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw RefereeError(SystemErrorText("cannot create a pipe", errno));
  }
  KeepWriteFailuresAsErrors();
  gMainThread = ::gettid();
  // Engines must be waited for one by one: never reaped behind the referee's back.
  ::signal(SIGCHLD, SIG_DFL);

  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigfillset(&action.sa_mask);
  for (const int signal : kStopSignals) Catch(signal, action);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) Catch(signal, action);
}

bool StopRequested() { return gStopRequested.load() != 0; }

int StopNotificationFd() { return gStopPipe[0]; }

void InterruptWaits() { WakeWaiters(); }

}  // namespace fiverow::match
