// The engines' folders on Windows, under the user's temporary folder.
#include "process/Workspace.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <ostream>
#include <random>

#include "common/HandleFiles.h"
#include "common/win32/WideText.h"
#include "process/RefereeError.h"
#include "runtime/win32/WinApi.h"

namespace fiverow::match {

namespace {

std::string RandomFolderName() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string name = "fiverow-match-";
  for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
  return name;
}

// The identity of what a handle, or a path not followed through a link, names.
bool Identity(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &info);
}

}  // namespace

Workspace::Workspace(const std::vector<std::string>& names, bool keep, std::ostream& err)
    : keep_(keep), err_(err) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  std::string parent = tools::Narrowed(std::wstring_view(temp, length));
  if (!parent.empty() && parent.back() == '\\') parent.pop_back();
  const HANDLE parentHandle = ::CreateFileW(
      tools::Widened(parent).c_str(), FILE_LIST_DIRECTORY | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (parentHandle == INVALID_HANDLE_VALUE)
    throw RefereeError("cannot create a folder in " + parent + ": " +
                       tools::WindowsErrorText(::GetLastError()));
  parentFd_.Reset(_open_osfhandle(reinterpret_cast<intptr_t>(parentHandle), _O_RDONLY));
  for (int attempt = 0; !rootFd_; ++attempt) {
    rootName_ = RandomFolderName();
    if (const int error = tools::MakeFolder(parentFd_.get(), rootName_.c_str()); error != 0) {
      if (error == EEXIST && attempt < 100) continue;
      throw RefereeError(SystemErrorText("cannot create a folder in " + parent, error));
    }
    int error = 0;
    rootFd_ = tools::OpenOwnDirectory(parentFd_.get(), rootName_.c_str(), error);
    if (!rootFd_) throw RefereeError(SystemErrorText("cannot open a folder in " + parent, error));
  }
  root_ = parent + "\\" + rootName_;
  for (const std::string& name : names) {
    if (const int error = tools::MakeFolder(rootFd_.get(), name.c_str()); error != 0)
      throw RefereeError(SystemErrorText("cannot create the folder " + root_ + "\\" + name, error));
  }
}

Workspace::~Workspace() {
  if (keep_) return;
  // Only the folder made here: an engine may have removed it, or put
  // something else in its place.
  BY_HANDLE_FILE_INFORMATION made{};
  BY_HANDLE_FILE_INFORMATION there{};
  const HANDLE now =
      ::CreateFileW(tools::Widened(root_).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  const bool same =
      Identity(reinterpret_cast<HANDLE>(_get_osfhandle(rootFd_.get())), made) &&
      Identity(now, there) && made.dwVolumeSerialNumber == there.dwVolumeSerialNumber &&
      made.nFileIndexHigh == there.nFileIndexHigh && made.nFileIndexLow == there.nFileIndexLow;
  if (now != INVALID_HANDLE_VALUE) ::CloseHandle(now);
  // The folder's own handle would keep it from going.
  rootFd_.Reset();
  if (!same) return;
  if (const int error = tools::RemoveEntry(parentFd_.get(), rootName_.c_str()); error != 0)
    err_ << "fiverow-match: cannot remove " << root_ << ": " << std::strerror(error) << "\n";
}

// A folder's owner may always search it here.
void Workspace::KeepRootSearchable() const {}

}  // namespace fiverow::match
