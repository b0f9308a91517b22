#include "board/RandomBytes.h"

#include <sys/random.h>

#include <cerrno>

#include "process/RefereeError.h"

namespace fiverow::board {

void FillRandom(char* to, std::size_t size) {
  for (std::size_t got = 0; got < size;) {
    const ssize_t read = ::getrandom(to + got, size - got, 0);
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) throw match::RefereeError(match::SystemErrorText("no random bytes", errno));
    got += static_cast<std::size_t>(read);
  }
}

}  // namespace fiverow::board
