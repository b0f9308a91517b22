// The engines' working folders: one temporary folder per match with a
// sub-folder per engine, where the referee writes the game files before each
// move and reads the move back.
#pragma once

#include <optional>
#include <string>

#include "match/Position.h"

namespace fiverow::match {

class Workspace {
 public:
  // Creates the folders under $TMPDIR (or /tmp). Throws RefereeError.
  explicit Workspace(bool keep);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const std::string& root() const { return root_; }
  // The folder of engine A or B.
  std::string FolderOf(Player player) const;

 private:
  std::string root_;
  bool keep_;
};

// Writes Plocha.dat with the position and Tah.dat with the marker that makes
// the engine play `side`. Throws RefereeError.
void WriteGameFiles(const std::string& folder, const Position& position, Side side);

// Tah.dat's content after the move, at most 64 bytes of it; nothing when the
// file is gone.
std::optional<std::string> ReadMoveFile(const std::string& folder);

}  // namespace fiverow::match
