// The folder operations on NTFS: names opened relative to the folder's handle
// (NtCreateFile with a root directory), a reparse point never followed unless
// asked, attributes cleared where they stand in the way.
#include "common/HandleFiles.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <vector>

#include "common/win32/WideText.h"
#include "runtime/win32/WinApi.h"

#include <winternl.h>

namespace fiverow::tools {

namespace {

constexpr int kMaxDepth = 64;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Attributes that keep a file from being changed or removed, or hide it.
constexpr DWORD kInTheWay = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

using CreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusCall = ULONG(NTAPI*)(NTSTATUS);

template <typename Call>
Call Ntdll(const char* name) {
  return reinterpret_cast<Call>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  Handle(Handle&& other) noexcept : handle_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
      handle_ = other.Release();
    }
    return *this;
  }
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

struct OpenRequest {
  ACCESS_MASK access;
  bool create = false;     // a new file, which must not exist
  bool directory = false;  // only a directory
  bool followLinks = false;
};

// Opens `name` in `folder`; on failure `error` holds the errno.
Handle OpenIn(int folder, const char* name, const OpenRequest& request, int& error) {
  const std::wstring wide = Widened(name);
  HANDLE opened = INVALID_HANDLE_VALUE;
  if (folder == kWorkingFolder) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (request.followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    opened = ::CreateFileW(wide.c_str(), request.access, kShareAll, nullptr,
                           request.create ? CREATE_NEW : OPEN_EXISTING, flags, nullptr);
    if (opened == INVALID_HANDLE_VALUE) error = ErrnoFor(::GetLastError());
    return Handle(opened);
  }
  static const auto create = Ntdll<CreateFileCall>("NtCreateFile");
  static const auto toError = Ntdll<StatusCall>("RtlNtStatusToDosError");
  UNICODE_STRING path;
  path.Buffer = const_cast<wchar_t*>(wide.c_str());
  path.Length = path.MaximumLength = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &path, OBJ_CASE_INSENSITIVE,
                             reinterpret_cast<HANDLE>(_get_osfhandle(folder)), nullptr);
  IO_STATUS_BLOCK status{};
  const ULONG options = FILE_SYNCHRONOUS_IO_NONALERT |
                        (request.directory ? FILE_DIRECTORY_FILE : 0) |
                        (request.followLinks ? 0 : FILE_OPEN_REPARSE_POINT);
  const NTSTATUS result = create(&opened, request.access | SYNCHRONIZE, &attributes, &status,
                                 nullptr, FILE_ATTRIBUTE_NORMAL, kShareAll,
                                 request.create ? FILE_CREATE : FILE_OPEN, options, nullptr, 0);
  if (result < 0) {
    error = result == static_cast<NTSTATUS>(0xC0000103L)  // STATUS_NOT_A_DIRECTORY
                ? ENOTDIR
                : ErrnoFor(toError(result));
    return {};
  }
  return Handle(opened);
}

bool Info(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return ::GetFileInformationByHandle(handle, &info) != 0;
}

bool IsLink(const BY_HANDLE_FILE_INFORMATION& info) {
  return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Clears the read-only, hidden and system attributes, if set.
int ClearAttributes(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info) {
  if ((info.dwFileAttributes & kInTheWay) == 0) return 0;
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = info.dwFileAttributes & ~kInTheWay;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic))
    return ErrnoFor(::GetLastError());
  return 0;
}

int RemoveIn(int folder, const char* name, int depth);

// The names in the directory `dir`, without "." and "..".
int ListNames(HANDLE dir, std::vector<std::string>& names) {
  std::vector<char> buffer(64 * 1024);
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  while (true) {
    if (!::GetFileInformationByHandleEx(dir, kind, buffer.data(),
                                        static_cast<DWORD>(buffer.size()))) {
      const DWORD error = ::GetLastError();
      return error == ERROR_NO_MORE_FILES ? 0 : ErrnoFor(error);
    }
    kind = FileIdBothDirectoryInfo;
    for (std::size_t at = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
      const std::wstring_view entryName(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (entryName != L"." && entryName != L"..") names.push_back(Narrowed(entryName));
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
}

int RemoveContents(HANDLE dir, int depth) {
  if (depth >= kMaxDepth) return ENAMETOOLONG;
  std::vector<std::string> names;
  if (const int error = ListNames(dir, names); error != 0) return error;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(dir), _O_RDONLY);
  if (fd < 0) return EMFILE;
  int error = 0;
  for (const std::string& name : names)
    if (error == 0) error = RemoveIn(fd, name.c_str(), depth + 1);
  // The descriptor owned the handle; the caller's copy is no longer valid.
  _close(fd);
  return error;
}

int RemoveIn(int folder, const char* name, int depth) {
  int error = 0;
  Handle entry =
      OpenIn(folder, name, {DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES}, error);
  if (!entry) return error == ENOENT ? 0 : error;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Info(entry.get(), info)) return ErrnoFor(::GetLastError());
  if ((error = ClearAttributes(entry.get(), info)) != 0) return error;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !IsLink(info)) {
    Handle listing =
        OpenIn(folder, name, {FILE_LIST_DIRECTORY | FILE_TRAVERSE, false, true}, error);
    if (!listing) return error;
    if ((error = RemoveContents(listing.Release(), depth)) != 0) return error;
  }
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition))
    return ErrnoFor(::GetLastError());
  return 0;
}

int ToDescriptor(Handle handle, int& error) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_RDONLY);
  if (fd < 0) {
    error = EMFILE;
    return -1;
  }
  handle.Release();
  return fd;
}

}  // namespace

UniqueFd OpenOwnDirectory(int parent, const char* name, int& error) {
  error = 0;
  Handle dir = OpenIn(parent, name,
                      {FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY |
                           FILE_DELETE_CHILD | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       false, true},
                      error);
  if (!dir) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Info(dir.get(), info)) {
    error = ErrnoFor(::GetLastError());
    return {};
  }
  if (IsLink(info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = ENOTDIR;
    return {};
  }
  if ((error = ClearAttributes(dir.get(), info)) != 0) return {};
  return UniqueFd(ToDescriptor(std::move(dir), error));
}

int RemoveEntry(int parent, const char* name) { return RemoveIn(parent, name, 0); }

int MakeFolder(int parent, const char* name) {
  int error = 0;
  const Handle made = OpenIn(parent, name, {FILE_LIST_DIRECTORY, true, true}, error);
  return error;
}

UniqueFd MakeOrOpenFolder(const std::string& path, int& error) {
  error = 0;
  if (!::CreateDirectoryW(Widened(path).c_str(), nullptr) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS) {
    error = ErrnoFor(::GetLastError());
    return {};
  }
  Handle folder =
      OpenIn(kWorkingFolder, path.c_str(),
             {FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE, false, true, true}, error);
  if (!folder) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Info(folder.get(), info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = ENOTDIR;
    return {};
  }
  return UniqueFd(ToDescriptor(std::move(folder), error));
}

// The folder was opened for adding files: access was checked then.
int CheckWritableFolder(int) { return 0; }

int ListFolder(int folder, std::vector<std::string>& names) {
  int error = 0;
  Handle listing = OpenIn(folder, ".", {FILE_LIST_DIRECTORY | FILE_TRAVERSE, false, true}, error);
  if (!listing) {
    // A handle of the folder's own, for listing from the start.
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), reinterpret_cast<HANDLE>(_get_osfhandle(folder)),
                           ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
      return ErrnoFor(::GetLastError());
    listing = Handle(copy);
  }
  return ListNames(listing.get(), names);
}

UniqueFd OpenForWriting(const std::string& path, bool append, int& error) {
  error = 0;
  const HANDLE file =
      ::CreateFileW(Widened(path).c_str(),
                    (append ? FILE_APPEND_DATA : GENERIC_WRITE) | SYNCHRONIZE, FILE_SHARE_READ,
                    nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = ErrnoFor(::GetLastError());
    return {};
  }
  return UniqueFd(ToDescriptor(Handle(file), error));
}

int WriteAll(int fd, std::string_view bytes) {
  const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() < 0x40000000 ? bytes.size() : 0x40000000);
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr))
      return ErrnoFor(::GetLastError());
    bytes.remove_prefix(written);
  }
  return 0;
}

int CreateNewFile(int folder, const char* name, std::string_view content, mode_t) {
  int error = 0;
  Handle file = OpenIn(folder, name, {FILE_GENERIC_WRITE, true}, error);
  if (!file) return error;
  const UniqueFd fd(ToDescriptor(std::move(file), error));
  return fd ? WriteAll(fd.get(), content) : error;
}

int WriteFreshFile(int folder, const char* name, std::string_view content) {
  const int error = RemoveEntry(folder, name);
  return error != 0 ? error : CreateNewFile(folder, name, content, 0600);
}

FileRead ReadRegularFile(int folder, const char* name, std::size_t limit, bool followLinks) {
  FileRead read;
  Handle file = OpenIn(folder, name, {FILE_GENERIC_READ, false, false, followLinks}, read.error);
  if (!file) return read;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Info(file.get(), info)) {
    read.error = ErrnoFor(::GetLastError());
    return read;
  }
  if (IsLink(info)) {
    read.error = ELOOP;
    return read;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      ::GetFileType(file.get()) != FILE_TYPE_DISK) {
    read.notRegular = true;
    return read;
  }
  read.links = info.nNumberOfLinks;
  read.bytes.resize(limit + 1);
  std::size_t got = 0;
  while (got < read.bytes.size()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(read.bytes.size() - got, 1 << 20));
    if (!::ReadFile(file.get(), read.bytes.data() + got, chunk, &n, nullptr)) {
      read.error = ErrnoFor(::GetLastError());
      break;
    }
    if (n == 0) break;
    got += n;
  }
  read.cut = got > limit;
  read.bytes.resize(read.cut ? limit : got);
  return read;
}

}  // namespace fiverow::tools
