// What the engines' folders need on every platform: each one made ready
// again before a move, through handles alone.
#include "process/Workspace.h"

#include "common/HandleFiles.h"
#include "process/RefereeError.h"

namespace fiverow::match {

namespace {

Workspace::Ready NotReady(const std::string& what, int error) {
  Workspace::Ready ready;
  ready.problem = SystemErrorText(what, error);
  return ready;
}

}  // namespace

void Workspace::ClearFolder(const std::string& name) const {
  if (tools::RemoveEntry(rootFd_.get(), name.c_str()) == 0)
    tools::MakeFolder(rootFd_.get(), name.c_str());
}

Workspace::Ready Workspace::PrepareFolder(const std::string& folderName) const {
  Ready ready;
  // The engine can reach the top folder as "..": it must stay searchable.
  KeepRootSearchable();

  const char* name = folderName.c_str();
  int error = 0;
  ready.folder = tools::OpenOwnDirectory(rootFd_.get(), name, error);
  if (!ready.folder) {
    if ((error = tools::RemoveEntry(rootFd_.get(), name)) != 0)
      return NotReady("cannot remove what is in the place of its folder", error);
    if ((error = tools::MakeFolder(rootFd_.get(), name)) != 0)
      return NotReady("cannot create its folder", error);
    ready.folder = tools::OpenOwnDirectory(rootFd_.get(), name, error);
    if (!ready.folder) return NotReady("cannot open its folder", error);
  }
  return ready;
}

}  // namespace fiverow::match
