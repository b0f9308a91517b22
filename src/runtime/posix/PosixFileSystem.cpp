#include "runtime/posix/PosixFileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/posix/ErrnoCodes.h"

namespace fiverow {

namespace {

IoCode LastError() { return IoCodeFromErrno(errno); }

IoCode CloseWith(int fd, IoCode code) {
  ::close(fd);
  return code;
}

}  // namespace

IoCode PosixFileSystem::OpenRead(const char* name, FileHandle& handle) {
  // Non-blocking, so that a FIFO with no writer does not hang the open; the
  // flag is cleared at once so that reads wait for a writer's data.
  int fd;
  do {
    fd = ::openat(folderFd_, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return LastError();
  struct stat info {};
  if (::fstat(fd, &info) != 0) return CloseWith(fd, LastError());
  // A directory cannot be read as a file: refuse it at the open.
  if (S_ISDIR(info.st_mode)) return CloseWith(fd, io::kAccessDenied);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return CloseWith(fd, LastError());
  }
  handle = fd;
  return io::kOk;
}

IoCode PosixFileSystem::OpenWrite(const char* name, FileHandle& handle) {
  int fd;
  do {
    fd = ::openat(folderFd_, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return LastError();
  handle = fd;
  return io::kOk;
}

IoCode PosixFileSystem::Read(FileHandle handle, char* buffer, std::size_t capacity,
                             std::size_t& got) {
  got = 0;
  ssize_t n;
  do {
    n = ::read(static_cast<int>(handle), buffer, capacity);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return LastError();
  got = static_cast<std::size_t>(n);
  return io::kOk;
}

IoCode PosixFileSystem::Write(FileHandle handle, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(static_cast<int>(handle), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return io::kOk;
}

IoCode PosixFileSystem::Close(FileHandle handle) {
  return ::close(static_cast<int>(handle)) == 0 ? io::kOk : LastError();
}

FileSystem& NativeFileSystem() {
  static constinit PosixFileSystem files;
  return files;
}

}  // namespace fiverow
