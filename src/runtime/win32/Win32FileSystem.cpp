// The file layer on Windows: CreateFile with the sharing rules of the game
// files, and the system's own error codes passed through unchanged.
#include "runtime/win32/WinApi.h"

#include <cstdint>

#include "runtime/FileSystem.h"

namespace fiverow {

namespace {

// The largest single transfer one ReadFile or WriteFile call takes.
constexpr std::size_t kMaxTransfer = 0x40000000;

IoCode LastError() {
  const DWORD error = ::GetLastError();
  // A failed call always sets a code; guard against one that did not, so a
  // failure is never mistaken for success.
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : static_cast<IoCode>(error);
}

HANDLE ToHandle(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

DWORD TransferSize(std::size_t size) {
  return static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
}

// Both opens let other processes read the file meanwhile but not write it.
IoCode Open(const char* name, DWORD access, DWORD disposition, FileHandle& handle) {
  const HANDLE file = ::CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  handle = reinterpret_cast<FileHandle>(file);
  return io::kOk;
}

class Win32FileSystem final : public FileSystem {
 public:
  IoCode OpenRead(const char* name, FileHandle& handle) override {
    return Open(name, GENERIC_READ, OPEN_EXISTING, handle);
  }

  // Created if missing, else truncated. Not CREATE_ALWAYS: with
  // FILE_ATTRIBUTE_NORMAL it refuses an existing hidden or system file.
  IoCode OpenWrite(const char* name, FileHandle& handle) override {
    const IoCode code = Open(name, GENERIC_WRITE, OPEN_ALWAYS, handle);
    if (code != io::kOk || ::SetEndOfFile(ToHandle(handle))) return code;
    const IoCode error = LastError();
    ::CloseHandle(ToHandle(handle));
    return error;
  }

  IoCode Read(FileHandle handle, char* buffer, std::size_t capacity, std::size_t& got) override {
    got = 0;
    DWORD read = 0;
    if (!::ReadFile(ToHandle(handle), buffer, TransferSize(capacity), &read, nullptr)) {
      // ERROR_BROKEN_PIPE included: the text file reads it as the end.
      return LastError();
    }
    got = read;
    return io::kOk;
  }

  IoCode Write(FileHandle handle, const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD written = 0;
      if (!::WriteFile(ToHandle(handle), data, TransferSize(size), &written, nullptr)) {
        return LastError();
      }
      // A write that succeeds without taking a byte would never finish; the
      // device has no room for more.
      if (written == 0) return io::kDiskFull;
      data += written;
      size -= written;
    }
    return io::kOk;
  }

  IoCode Close(FileHandle handle) override {
    return ::CloseHandle(ToHandle(handle)) ? io::kOk : LastError();
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static constinit Win32FileSystem files;
  return files;
}

}  // namespace fiverow
