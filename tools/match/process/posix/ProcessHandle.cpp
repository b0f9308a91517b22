#include "process/posix/ProcessHandle.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace fiverow::match {

int OpenProcessHandle(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

void KillByHandle(int handle, int signal) {
  ::syscall(SYS_pidfd_send_signal, handle, signal, nullptr, 0);
}

bool HasEnded(int handle) {
  pollfd watched{handle, POLLIN, 0};
  int ready;
  while ((ready = ::poll(&watched, 1, 0)) < 0 && errno == EINTR) {
  }
  return ready != 0;
}

}  // namespace fiverow::match
