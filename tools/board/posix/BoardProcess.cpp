#include "board/BoardProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "process/StopSignals.h"
#include "process/posix/ChildReaper.h"

namespace fiverow::board {

void WaitForStop() {
  pollfd stop{match::StopNotificationFd(), POLLIN, 0};
  while (::poll(&stop, 1, -1) < 0 && errno == EINTR) {
  }
}

void StopFinished() {}

bool StartedOnItsOwnConsole() { return false; }

// xdg-open, with no shell, in a session of its own under a keeper: the
// board adopts its engines' strays and ends them, so the browser must not
// become one. The keeper adopts what xdg-open leaves instead, and ends once
// all of it has; it counts as a live child of the board. It keeps none of
// the board's files (its sockets, its port) and none of its signal
// handlers. Only system calls between fork and exec.
std::optional<std::string> OpenInBrowser(const std::string& url) {
  static const char kProgram[] = "xdg-open";
  char* const argv[] = {const_cast<char*>(kProgram), const_cast<char*>(url.c_str()), nullptr};
  int report[2];  // the exec's errno, or nothing when it ran
  if (::pipe2(report, O_CLOEXEC) != 0) return std::string("no pipe: ") + std::strerror(errno);
  const pid_t keeper = match::StartLiveChild([&] {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &plain, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::setsid();
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const int told = ::fcntl(report[1], F_DUPFD_CLOEXEC, 3);
    const int nothing = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) ::dup2(nothing, fd);
    ::close_range(3, static_cast<unsigned>(told) - 1, 0);
    ::close_range(static_cast<unsigned>(told) + 1, ~0U, 0);
    if (::fork() == 0) {
      ::execvp(kProgram, argv);
      const int error = errno;
      (void)!::write(told, &error, sizeof error);
      ::_exit(127);
    }
    ::close(told);
    while (::wait(nullptr) > 0 || errno == EINTR) {
    }
    ::_exit(0);
  });
  ::close(report[1]);
  if (keeper < 0) {
    ::close(report[0]);
    return std::string("cannot start ") + kProgram + ": " + std::strerror(errno);
  }
  int error = 0;
  ssize_t got = 0;
  while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (got == sizeof error)
    return std::string("cannot run ") + kProgram + ": " + std::strerror(error);
  return std::nullopt;
}

}  // namespace fiverow::board
