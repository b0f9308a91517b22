#include "match/Workspace.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "files/GameFiles.h"
#include "match/RefereeError.h"

namespace fiverow::match {

namespace {
void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  file.close();
  if (!file) throw RefereeError("cannot write " + path);
}
}  // namespace

Workspace::Workspace(bool keep) : keep_(keep) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  pattern += "/fiverow-match-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()) == nullptr) {
    throw RefereeError(SystemErrorText("cannot create a folder from " + pattern, errno));
  }
  root_ = name.data();
  for (const Player player : kPlayers) {
    if (::mkdir(FolderOf(player).c_str(), 0700) != 0) {
      throw RefereeError(SystemErrorText("cannot create the folder " + FolderOf(player), errno));
    }
  }
}

Workspace::~Workspace() {
  if (keep_) return;
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string Workspace::FolderOf(Player player) const { return root_ + "/" + PlayerLetter(player); }

void WriteGameFiles(const std::string& folder, const Position& position, Side side) {
  WriteFile(folder + "/" + kPositionFileName, position.PositionFileText());
  WriteFile(folder + "/" + kTurnFileName, std::string(1, TurnMarkerFor(side)) + "\n");
}

std::optional<std::string> ReadMoveFile(const std::string& folder) {
  std::ifstream file(folder + "/" + kTurnFileName, std::ios::binary);
  if (!file) return std::nullopt;
  std::string content(64, '\0');
  file.read(content.data(), static_cast<std::streamsize>(content.size()));
  content.resize(static_cast<std::size_t>(file.gcount()));
  return content;
}

}  // namespace fiverow::match
