#include "process/StandardInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "process/RefereeError.h"
#include "process/StopSignals.h"

namespace fiverow::match {

InputByte ReadInputByte(Clock::time_point deadline, char& c) {
  while (true) {
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {StopNotificationFd(), POLLIN, 0}};
    const int ready = ::ppoll(watched, 2, TimeoutUntil(deadline).get(), nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (watched[1].revents != 0) throw Interrupted();
    if (ready == 0) return InputByte::TimedOut;
    const ssize_t got = ready < 0 ? -1 : ::read(STDIN_FILENO, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    return got <= 0 ? InputByte::End : InputByte::Byte;
  }
}

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

}  // namespace fiverow::match
