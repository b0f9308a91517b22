// The game folder on POSIX systems: names resolved against a handle on it.
#include "explain/GameFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "files/GameFiles.h"
#include "runtime/posix/PosixFileSystem.h"

namespace fiverow::explain {

struct GameFolder::State {
  tools::UniqueFd folder;
  PosixFileSystem files;
  std::string problem;
};

GameFolder::GameFolder(const std::string& path) {
  tools::UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int fd = folder.get();
  state_.reset(new State{std::move(folder), PosixFileSystem(fd), {}});
  if (fd < 0) state_->problem = "cannot open the folder " + path + ": " + std::strerror(errno);
}

GameFolder::~GameFolder() = default;

const std::string& GameFolder::problem() const { return state_->problem; }

FileSystem& GameFolder::Files() { return state_->files; }

std::string GameFolder::WritePicture(const std::string& file, std::string_view bytes) const {
  const std::string shown = tools::ShownText(file);
  const tools::UniqueFd output(
      ::open(file.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666));
  struct stat target {};
  if (!output || ::fstat(output.get(), &target) != 0)
    return "cannot write " + shown + ": " + std::strerror(errno);
  for (const char* input : {kPositionFileName, kTurnFileName}) {
    struct stat read {};
    if (::fstatat(state_->folder.get(), input, &read, 0) == 0 && tools::SameFile(read, target))
      return "will not write the picture over " + std::string(input) + ", which it reads";
  }
  int error = S_ISREG(target.st_mode) && ::ftruncate(output.get(), 0) != 0 ? errno : 0;
  if (error == 0) error = tools::WriteAll(output.get(), bytes);
  if (error != 0) return "cannot write " + shown + ": " + std::strerror(error);
  return {};
}

}  // namespace fiverow::explain
