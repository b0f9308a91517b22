#include "process/Workspace.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "common/HandleFiles.h"
#include "process/RefereeError.h"

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

}  // namespace

Workspace::Workspace(const std::vector<std::string>& names, bool keep, std::ostream& err)
    : keep_(keep), err_(err) {
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
  for (const std::string& name : names) {
    if (::mkdirat(rootFd_.get(), name.c_str(), 0700) != 0) {
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

void Workspace::KeepRootSearchable() const {
  struct stat top {};
  if (::fstat(rootFd_.get(), &top) == 0 && (top.st_mode & S_IRWXU) != S_IRWXU)
    ::fchmod(rootFd_.get(), S_IRWXU);
}

}  // namespace fiverow::match
