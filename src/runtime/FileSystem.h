// The platform file layer: the few raw file operations a run needs, each
// giving an I/O code (0 on success, else a Windows system error code). The
// steps above it never see errno or a platform handle, so a backend can be
// swapped (or a fault injected) without touching them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/UTypes.h"

namespace fiverow {

using IoCode = Int32;
using FileHandle = std::intptr_t;

// Windows system error codes the run and its messages are keyed on.
namespace io {
inline constexpr IoCode kOk = 0;
inline constexpr IoCode kFileNotFound = 2;
inline constexpr IoCode kPathNotFound = 3;
inline constexpr IoCode kTooManyOpenFiles = 4;
inline constexpr IoCode kAccessDenied = 5;
inline constexpr IoCode kInvalidHandle = 6;
inline constexpr IoCode kSharingViolation = 32;
inline constexpr IoCode kBrokenPipe = 109;  // reads as the end of the file
inline constexpr IoCode kDiskFull = 112;
}  // namespace io

class FileSystem {
 public:
  // Opens an existing file for reading; others may read but not write it.
  virtual IoCode OpenRead(const char* name, FileHandle& handle) = 0;
  // Creates or truncates a file for writing; others may read but not write it.
  virtual IoCode OpenWrite(const char* name, FileHandle& handle) = 0;
  // Reads up to `capacity` bytes; `got` == 0 means the end of the file.
  virtual IoCode Read(FileHandle handle, char* buffer, std::size_t capacity, std::size_t& got) = 0;
  // Writes all `size` bytes or fails.
  virtual IoCode Write(FileHandle handle, const char* data, std::size_t size) = 0;
  virtual IoCode Close(FileHandle handle) = 0;

 protected:
  ~FileSystem() = default;
};

// The operating system's files, relative to the working directory.
FileSystem& NativeFileSystem();

}  // namespace fiverow
