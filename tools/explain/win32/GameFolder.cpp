// The game folder on Windows: names joined to the folder's path, and files
// told apart by volume and file index.
#include "explain/GameFolder.h"

#include "common/EscapedText.h"
#include "common/win32/WideText.h"
#include "files/GameFiles.h"
#include "runtime/win32/WinApi.h"

namespace fiverow::explain {

namespace {

// The native file layer with every name taken inside one folder.
class FolderFiles final : public FileSystem {
 public:
  explicit FolderFiles(std::string prefix) : prefix_(std::move(prefix)) {}

  IoCode OpenRead(const char* name, FileHandle& handle) override {
    return NativeFileSystem().OpenRead((prefix_ + name).c_str(), handle);
  }
  IoCode OpenWrite(const char* name, FileHandle& handle) override {
    return NativeFileSystem().OpenWrite((prefix_ + name).c_str(), handle);
  }
  IoCode Read(FileHandle handle, char* buffer, std::size_t capacity, std::size_t& got) override {
    return NativeFileSystem().Read(handle, buffer, capacity, got);
  }
  IoCode Write(FileHandle handle, const char* data, std::size_t size) override {
    return NativeFileSystem().Write(handle, data, size);
  }
  IoCode Close(FileHandle handle) override { return NativeFileSystem().Close(handle); }

  const std::string& prefix() const { return prefix_; }

 private:
  std::string prefix_;
};

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (*this) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Whether `path` names the file `target` describes; only its attributes are read.
bool Names(const std::string& path, const BY_HANDLE_FILE_INFORMATION& target) {
  const Handle file(::CreateFileW(tools::Widened(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return file && ::GetFileInformationByHandle(file.get(), &info) && SameFile(info, target);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(bytes.size() < 0x40000000 ? bytes.size() : 0x40000000);
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

struct GameFolder::State {
  FolderFiles files;
  std::string problem;
};

GameFolder::GameFolder(const std::string& path)
    : state_(new State{
          FolderFiles(path.empty() || path.back() == '/' || path.back() == '\\' ? path
                                                                                : path + '\\'),
          {}}) {
  const DWORD attributes = ::GetFileAttributesW(tools::Widened(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    state_->problem =
        "cannot open the folder " + path + ": " + tools::WindowsErrorText(::GetLastError());
  else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    state_->problem = "cannot open the folder " + path + ": not a folder";
}

GameFolder::~GameFolder() = default;

const std::string& GameFolder::problem() const { return state_->problem; }

FileSystem& GameFolder::Files() { return state_->files; }

std::string GameFolder::WritePicture(const std::string& file, std::string_view bytes) const {
  const std::string shown = tools::ShownText(file);
  const Handle output(::CreateFileW(tools::Widened(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION target{};
  if (!output || !::GetFileInformationByHandle(output.get(), &target))
    return "cannot write " + shown + ": " + tools::WindowsErrorText(::GetLastError());
  for (const char* input : {kPositionFileName, kTurnFileName}) {
    if (Names(state_->files.prefix() + input, target))
      return "will not write the picture over " + std::string(input) + ", which it reads";
  }
  const bool disk = ::GetFileType(output.get()) == FILE_TYPE_DISK;
  if ((disk && !::SetEndOfFile(output.get())) || !WriteAll(output.get(), bytes))
    return "cannot write " + shown + ": " + tools::WindowsErrorText(::GetLastError());
  return {};
}

}  // namespace fiverow::explain
