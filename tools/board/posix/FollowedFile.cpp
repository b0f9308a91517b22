#include "board/FollowedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fiverow::board {

int OpenFollowed(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

bool StillNamed(int fd, const std::string& path) {
  struct stat named {};
  struct stat open {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 &&
         named.st_ino == open.st_ino && named.st_dev == open.st_dev;
}

std::ptrdiff_t ReadAt(int fd, char* to, std::size_t size, std::int64_t offset) {
  return ::pread(fd, to, size, static_cast<off_t>(offset));
}

}  // namespace fiverow::board
