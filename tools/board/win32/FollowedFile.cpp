#include "board/FollowedFile.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>

#include "common/win32/WideText.h"
#include "runtime/win32/WinApi.h"

namespace fiverow::board {

int OpenFollowed(const std::string& path) {
  const HANDLE file = ::CreateFileW(tools::Widened(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  if (fd < 0) ::CloseHandle(file);
  return fd;
}

// A file's identity is its volume's serial number and its index there.
bool StillNamed(int fd, const std::string& path) {
  const HANDLE named = ::CreateFileW(tools::Widened(path).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  const bool same =
      ::GetFileInformationByHandle(named, &a) &&
      ::GetFileInformationByHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)), &b) &&
      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
      a.nFileIndexLow == b.nFileIndexLow;
  ::CloseHandle(named);
  return same;
}

std::ptrdiff_t ReadAt(int fd, char* to, std::size_t size, std::int64_t offset) {
  const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (::ReadFile(file, to, static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30)), &got, &at))
    return got;
  if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
  errno = EIO;
  return -1;
}

}  // namespace fiverow::board
