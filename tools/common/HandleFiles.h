// File operations relative to a folder handle that never follow a link, never
// block on a FIFO or device, and cope with whatever modes another program of
// the same user set. They return 0 or the errno of the step that failed.
// On Windows a folder handle is a C runtime descriptor of the folder's
// handle; a link there is a reparse point (a symbolic link or junction), and
// the modes are the read-only, hidden and system attributes.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/UniqueFd.h"

namespace fiverow::tools {

// The working folder, as a folder handle (POSIX: AT_FDCWD).
inline constexpr int kWorkingFolder = -100;

// Opens the directory `name` in `parent` to work inside it. A link or
// anything else that is not a directory fails with ENOTDIR. A directory whose
// owner lacks read, write or search permission gets them back first, through
// a handle on the directory itself.
UniqueFd OpenOwnDirectory(int parent, const char* name, int& error);

// Removes whatever `name` in `parent` is: a file, a link (never what it
// points to), a FIFO, a device node, or a directory with everything below
// it, whatever its modes. It does not descend into another file system. A
// missing entry counts as removed.
int RemoveEntry(int parent, const char* name);

// Creates the directory `name` in `parent`, for the caller alone where the
// system has modes.
int MakeFolder(int parent, const char* name);

// The folder at `path`, made first if missing; -1 and the errno in `error`
// when it cannot be made or opened.
UniqueFd MakeOrOpenFolder(const std::string& path, int& error);

// 0 when the caller may create files in `folder`, else the errno.
int CheckWritableFolder(int folder);

// The names in `folder`, "." and ".." left out.
int ListFolder(int folder, std::vector<std::string>& names);

// `path` opened to write, made if missing, emptied unless `append`; never
// waits on a FIFO: one that nothing reads fails with ENXIO.
UniqueFd OpenForWriting(const std::string& path, bool append, int& error);

// Creates `name` in `folder`, which must not exist, with `content`.
int CreateNewFile(int folder, const char* name, std::string_view content, mode_t mode);

// Removes whatever is at `name`, then creates it as a new file of the
// caller's with `content`.
int WriteFreshFile(int folder, const char* name, std::string_view content);

// Writes all of `bytes` to `fd`.
int WriteAll(int fd, std::string_view bytes);

// At most `limit` bytes of a regular file. Only a regular file is ever
// opened: a FIFO, device, directory or socket is reported as such, unopened.
struct FileRead {
  int error = 0;            // errno of the step that failed; ELOOP: a link not followed
  bool notRegular = false;  // not a regular file
  std::uint64_t links = 0;  // names the file has
  std::string bytes;
  bool cut = false;  // the file holds more than `limit` bytes
};
FileRead ReadRegularFile(int folder, const char* name, std::size_t limit, bool followLinks);

// Whether two status records describe the same file.
inline bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace fiverow::tools
