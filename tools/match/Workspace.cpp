#include "match/Workspace.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "common/HandleFiles.h"
#include "files/GameFiles.h"
#include "match/RefereeError.h"

namespace fiverow::match {

namespace {

// "fiverow-match-" and six random letters or digits.
std::string RandomFolderName() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char random[6] = {};
  [[maybe_unused]] const ssize_t got = ::getrandom(random, sizeof random, 0);
  std::string name = "fiverow-match-";
  for (const unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
  return name;
}

Workspace::Ready NotReady(const std::string& what, int error) {
  Workspace::Ready ready;
  ready.problem = SystemErrorText(what, error);
  return ready;
}

}  // namespace

Workspace::Workspace(bool keep, std::ostream& err) : keep_(keep), err_(err) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string parent = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  parentFd_.Reset(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parentFd_) throw RefereeError(SystemErrorText("cannot create a folder in " + parent, errno));
  for (int attempt = 0; !rootFd_; ++attempt) {
    rootName_ = RandomFolderName();
    if (::mkdirat(parentFd_.get(), rootName_.c_str(), 0700) != 0) {
      if (errno == EEXIST && attempt < 100) continue;
      throw RefereeError(SystemErrorText("cannot create a folder in " + parent, errno));
    }
    rootFd_.Reset(::openat(parentFd_.get(), rootName_.c_str(),
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!rootFd_) throw RefereeError(SystemErrorText("cannot open a folder in " + parent, errno));
  }
  root_ = parent + "/" + rootName_;
  for (const Player player : kPlayers) {
    const char name[2] = {PlayerLetter(player), '\0'};
    if (::mkdirat(rootFd_.get(), name, 0700) != 0) {
      throw RefereeError(SystemErrorText("cannot create the folder " + root_ + "/" + name, errno));
    }
  }
}

Workspace::~Workspace() {
  if (keep_) return;
  // Only the folder made here: an engine may have removed it, or put
  // something else in its place.
  struct stat made {};
  struct stat there {};
  if (::fstat(rootFd_.get(), &made) != 0 ||
      ::fstatat(parentFd_.get(), rootName_.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
      !tools::SameFile(made, there)) {
    return;
  }
  if (const int error = tools::RemoveEntry(parentFd_.get(), rootName_.c_str()); error != 0) {
    err_ << "fiverow-match: cannot remove " << root_ << ": " << std::strerror(error) << "\n";
  }
}

void Workspace::ClearFolders() const {
  for (const Player player : kPlayers) {
    const char name[2] = {PlayerLetter(player), '\0'};
    if (tools::RemoveEntry(rootFd_.get(), name) == 0) ::mkdirat(rootFd_.get(), name, 0700);
  }
}

Workspace::Ready Workspace::PrepareFolder(Player player) const {
  Ready ready;
  // The engine can reach the top folder as "..": it must stay searchable.
  struct stat top {};
  if (::fstat(rootFd_.get(), &top) == 0 && (top.st_mode & S_IRWXU) != S_IRWXU)
    ::fchmod(rootFd_.get(), S_IRWXU);

  const char name[2] = {PlayerLetter(player), '\0'};
  int error = 0;
  ready.folder = tools::OpenOwnDirectory(rootFd_.get(), name, error);
  if (!ready.folder) {
    if ((error = tools::RemoveEntry(rootFd_.get(), name)) != 0)
      return NotReady("cannot remove what is in the place of its folder", error);
    if (::mkdirat(rootFd_.get(), name, 0700) != 0)
      return NotReady("cannot create its folder", errno);
    ready.folder = tools::OpenOwnDirectory(rootFd_.get(), name, error);
    if (!ready.folder) return NotReady("cannot open its folder", error);
  }
  return ready;
}

Workspace::Ready Workspace::PrepareMove(Player player, const Position& position, Side side) const {
  Ready ready = PrepareFolder(player);
  if (!ready.folder) return ready;
  int error = 0;
  if ((error = tools::WriteFreshFile(ready.folder.get(), kPositionFileName,
                                     position.PositionFileText())) != 0) {
    return NotReady(std::string("cannot write ") + kPositionFileName, error);
  }
  if ((error = tools::WriteFreshFile(ready.folder.get(), kTurnFileName,
                                     std::string(1, TurnMarkerFor(side)) + "\n")) != 0) {
    return NotReady(std::string("cannot write ") + kTurnFileName, error);
  }
  return ready;
}

MoveFile ReadMoveFile(int folder) {
  const tools::FileRead read = tools::ReadRegularFile(folder, kTurnFileName, kMoveFileLimit, false);
  const std::string name = kTurnFileName;
  MoveFile file;
  if (read.error == ENOENT) {
    file.problem = "left no " + name;
  } else if (read.error == ELOOP) {
    file.problem = name + " is a symbolic link";
  } else if (read.notRegular) {
    file.problem = name + " is not a regular file";
  } else if (read.error != 0) {
    file.problem = SystemErrorText(name + " cannot be read", read.error);
  } else if (read.links > 1) {
    file.problem = name + " is a hard link to another file";
  } else {
    file.text = read.bytes;
    file.cut = read.cut;
  }
  return file;
}

}  // namespace fiverow::match
