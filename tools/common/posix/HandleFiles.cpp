#include "common/HandleFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace fiverow::tools {

static_assert(kWorkingFolder == AT_FDCWD);

namespace {

// Directories nested deeper than this are moved up to the top of the tree
// being removed, so removal holds a bounded number of handles open.
constexpr int kMaxDepth = 64;

int ErrorOr(bool ok) { return ok ? 0 : errno; }

struct TreeRemoval {
  int top;  // the directory at the top of the tree, once open
  dev_t device;
  unsigned moved = 0;
};

int RemoveContents(int dir, int depth, TreeRemoval& removal);

// Moves a directory that lies too deep up to the top folder, under a new name.
int MoveUp(int dir, const char* name, TreeRemoval& removal) {
  int error = 0;
  // Moving a directory rewrites its "..": it must be writable.
  if (!OpenOwnDirectory(dir, name, error)) return error;
  while (true) {
    char newName[40];
    std::snprintf(newName, sizeof newName, ".deep-%u", removal.moved++);
    if (::renameat2(dir, name, removal.top, newName, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EEXIST) return errno;
  }
}

int RemoveDirectory(int parent, const char* name, int depth, TreeRemoval& removal) {
  int error = 0;
  const UniqueFd dir = OpenOwnDirectory(parent, name, error);
  if (!dir) return error;
  if (removal.top < 0) removal.top = dir.get();
  if ((error = RemoveContents(dir.get(), depth + 1, removal)) != 0) return error;
  return ErrorOr(::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT);
}

int RemoveOne(int dir, const char* name, int depth, TreeRemoval& removal) {
  struct stat info {};
  if (::fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return ErrorOr(errno == ENOENT);
  if (!S_ISDIR(info.st_mode)) return ErrorOr(::unlinkat(dir, name, 0) == 0 || errno == ENOENT);
  if (info.st_dev != removal.device) return EXDEV;
  if (depth >= kMaxDepth) return MoveUp(dir, name, removal);
  return RemoveDirectory(dir, name, depth, removal);
}

// Removes every entry of `dir`, pass after pass until a pass finds none
// (entries moved up from deep below appear in the top folder meanwhile).
int RemoveContents(int dir, int depth, TreeRemoval& removal) {
  const int listing = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return errno;
  DIR* stream = ::fdopendir(listing);
  if (stream == nullptr) {
    const int error = errno;
    ::close(listing);
    return error;
  }
  int error = 0;
  for (bool found = true; found && error == 0;) {
    found = false;
    ::rewinddir(stream);
    while (error == 0) {
      errno = 0;
      const dirent* entry = ::readdir(stream);
      if (entry == nullptr) {
        error = errno;
        break;
      }
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      found = true;
      error = RemoveOne(dir, entry->d_name, depth, removal);
    }
  }
  ::closedir(stream);
  return error;
}

}  // namespace

UniqueFd OpenOwnDirectory(int parent, const char* name, int& error) {
  const UniqueFd path(::openat(parent, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (!path || ::fstat(path.get(), &info) != 0) {
    error = errno;
    return {};
  }
  if (!S_ISDIR(info.st_mode)) {
    error = ENOTDIR;
    return {};
  }
  if ((info.st_mode & S_IRWXU) != S_IRWXU) {
    // Changes the very directory the handle holds, whatever its name now is.
    char handlePath[40];
    std::snprintf(handlePath, sizeof handlePath, "/proc/self/fd/%d", path.get());
    if (::chmod(handlePath, (info.st_mode & 07777) | S_IRWXU) != 0) {
      error = errno;
      return {};
    }
  }
  UniqueFd dir(::openat(path.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) error = errno;
  return dir;
}

int RemoveEntry(int parent, const char* name) {
  struct stat parentInfo {};
  if (::fstat(parent, &parentInfo) != 0) return errno;
  TreeRemoval removal{-1, parentInfo.st_dev};
  return RemoveOne(parent, name, 0, removal);
}

int MakeFolder(int parent, const char* name) { return ErrorOr(::mkdirat(parent, name, 0700) == 0); }

UniqueFd MakeOrOpenFolder(const std::string& path, int& error) {
  error = 0;
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    error = errno;
    return {};
  }
  UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) error = errno;
  return folder;
}

int CheckWritableFolder(int folder) {
  return ErrorOr(::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0);
}

int ListFolder(int folder, std::vector<std::string>& names) {
  DIR* listing = ::fdopendir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (listing == nullptr) return errno;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(listing);
  return 0;
}

UniqueFd OpenForWriting(const std::string& path, bool append, int& error) {
  error = 0;
  // Without O_NONBLOCK a FIFO with no reader would hold the caller up here;
  // with it, such a FIFO fails with ENXIO.
  const int mode = append ? O_APPEND : O_TRUNC;
  UniqueFd file(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | mode, 0666));
  if (!file || ::fcntl(file.get(), F_SETFL, mode & O_APPEND) != 0) {
    error = errno;
    return {};
  }
  return file;
}

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int CreateNewFile(int folder, const char* name, std::string_view content, mode_t mode) {
  const UniqueFd file(
      ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (!file) return errno;
  return WriteAll(file.get(), content);
}

int WriteFreshFile(int folder, const char* name, std::string_view content) {
  const int error = RemoveEntry(folder, name);
  return error != 0 ? error : CreateNewFile(folder, name, content, 0600);
}

FileRead ReadRegularFile(int folder, const char* name, std::size_t limit, bool followLinks) {
  FileRead read;
  // Looked at before it is opened, so that no FIFO or device is ever opened.
  struct stat before {};
  if (::fstatat(folder, name, &before, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
    read.error = errno;
    return read;
  }
  if (S_ISLNK(before.st_mode)) {
    read.error = ELOOP;
    return read;
  }
  if (!S_ISREG(before.st_mode)) {
    read.notRegular = true;
    return read;
  }
  const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
  const UniqueFd file(::openat(folder, name, flags));
  struct stat opened {};
  if (!file || ::fstat(file.get(), &opened) != 0) {
    read.error = errno;
    return read;
  }
  if (!S_ISREG(opened.st_mode) || !SameFile(before, opened)) {
    read.notRegular = true;  // replaced meanwhile
    return read;
  }
  read.links = opened.st_nlink;
  // Room for the file as it is and one byte more, to see it end, at most
  // the limit and one: a small file costs what it holds. More room if it grows.
  const auto size = static_cast<std::size_t>(std::max<off_t>(opened.st_size, 0));
  read.bytes.resize(std::min(limit, size) + 1);
  std::size_t got = 0;
  while (true) {
    if (got == read.bytes.size()) {
      if (got > limit) break;
      read.bytes.resize(std::min(limit + 1, 2 * got));
    }
    const ssize_t n = ::read(file.get(), read.bytes.data() + got, read.bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      read.error = errno;
      break;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  read.cut = got > limit;
  read.bytes.resize(read.cut ? limit : got);
  return read;
}

}  // namespace fiverow::tools
