// The folder whose game files fiverow-explain reads, and the picture it
// writes beside them, on the platform's own terms.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "runtime/FileSystem.h"

namespace fiverow::explain {

class GameFolder {
 public:
  // Opens `path` (relative names keep meaning what they meant at the start);
  // if that fails, problem() says why and Files() must not be used.
  explicit GameFolder(const std::string& path);
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  const std::string& problem() const;
  // The game files, by their names inside the folder.
  FileSystem& Files();

  // Writes `bytes` to `file` (relative to the folder the program was started
  // in), but never over a game file it reads, by whatever name: the file is
  // opened without truncating it and compared with those by identity first.
  // Returns the problem, if any.
  std::string WritePicture(const std::string& file, std::string_view bytes) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace fiverow::explain
