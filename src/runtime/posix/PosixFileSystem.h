// The file layer on POSIX systems, relative to an open folder: the working
// directory for fiverow itself, any folder the tools name.
#pragma once

#include <fcntl.h>

#include "runtime/FileSystem.h"

namespace fiverow {

// Plain open/read/write/close, with names resolved against `folderFd`
// (AT_FDCWD: the working directory). The folder stays the caller's to close.
// POSIX has no sharing modes, so the open rules about other processes do not
// apply here.
class PosixFileSystem final : public FileSystem {
 public:
  explicit constexpr PosixFileSystem(int folderFd = AT_FDCWD) : folderFd_(folderFd) {}

  IoCode OpenRead(const char* name, FileHandle& handle) override;
  IoCode OpenWrite(const char* name, FileHandle& handle) override;
  IoCode Read(FileHandle handle, char* buffer, std::size_t capacity, std::size_t& got) override;
  IoCode Write(FileHandle handle, const char* data, std::size_t size) override;
  IoCode Close(FileHandle handle) override;

 private:
  int folderFd_;
};

}  // namespace fiverow
