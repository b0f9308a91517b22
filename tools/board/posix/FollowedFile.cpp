#include "board/FollowedFile.h"

#include <fcntl.h>
#include <unistd.h>

namespace fiverow::board {

int OpenFollowed(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

std::ptrdiff_t ReadAt(int fd, char* to, std::size_t size, std::int64_t offset) {
  return ::pread(fd, to, size, static_cast<off_t>(offset));
}

}  // namespace fiverow::board
