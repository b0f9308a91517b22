// The engines' working folders: one temporary folder with a sub-folder per
// engine, for the games played one after another in it. The referee works
// in them only through handles, never follows a link there and never opens
// anything but a regular file. Before each move it makes the engine's folder
// ready again, whatever the engine did to it.
#pragma once

#include <iosfwd>
#include <string>

#include "common/UniqueFd.h"
#include "match/Position.h"
#include "match/Referee.h"

namespace fiverow::match {

class Workspace {
 public:
  // Creates the folders under $TMPDIR (or /tmp). Throws RefereeError.
  // Problems when removing them at the end are told on `err`.
  Workspace(bool keep, std::ostream& err);
  // Removes the folders with everything in them, unless kept.
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // The temporary folder, for people to read.
  const std::string& root() const { return root_; }

  // Makes both engines' folders anew and empty, so that a game starts
  // afresh. What cannot be removed is left for PrepareFolder to repair.
  void ClearFolders() const;

  // Makes `player`'s folder ready: a real directory of the referee's,
  // repaired or made anew. Returns the folder, or no folder and why it
  // cannot be made ready.
  struct Ready {
    tools::UniqueFd folder;
    std::string problem;
  };
  Ready PrepareFolder(Player player) const;
  // The same for a move by the file protocol, holding a new Plocha.dat with
  // the position and a new Tah.dat with the marker that makes it play `side`.
  Ready PrepareMove(Player player, const Position& position, Side side) const;

 private:
  std::string root_;
  std::string rootName_;
  tools::UniqueFd parentFd_;
  tools::UniqueFd rootFd_;
  bool keep_;
  std::ostream& err_;
};

// What the engine left in Tah.dat in `folder`: a regular file only, never
// through a link, at most kMoveFileLimit bytes.
inline constexpr std::size_t kMoveFileLimit = 64;
MoveFile ReadMoveFile(int folder);

}  // namespace fiverow::match
