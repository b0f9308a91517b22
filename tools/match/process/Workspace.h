// The engines' working folders: one temporary folder with a sub-folder per
// engine, for the games played one after another in it. The referee works
// in them only through handles and never follows a link there. Before each
// move it makes the engine's folder ready again, whatever the engine did to
// it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "common/UniqueFd.h"

namespace fiverow::match {

class Workspace {
 public:
  // Creates the folder with a sub-folder for each of `names` under $TMPDIR
  // (or /tmp). Throws RefereeError. Problems when removing them at the end
  // are told on `err`.
  Workspace(const std::vector<std::string>& names, bool keep, std::ostream& err);
  // Removes the folders with everything in them, unless kept.
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // The temporary folder, for people to read.
  const std::string& root() const { return root_; }

  // Makes the folder `name` anew and empty, so that a game starts afresh.
  // What cannot be removed is left for PrepareFolder to repair.
  void ClearFolder(const std::string& name) const;

  // Makes the folder `name` ready: a real directory of the referee's,
  // repaired or made anew. Returns the folder, or no folder and why it
  // cannot be made ready.
  struct Ready {
    tools::UniqueFd folder;
    std::string problem;
  };
  Ready PrepareFolder(const std::string& name) const;

 private:
  // Gives the referee back the right to search the top folder, should an
  // engine have taken it (POSIX).
  void KeepRootSearchable() const;

  std::string root_;
  std::string rootName_;
  tools::UniqueFd parentFd_;
  tools::UniqueFd rootFd_;
  bool keep_;
  std::ostream& err_;
};

}  // namespace fiverow::match
