#include "players/FileProtocol.h"

#include <cerrno>

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "files/GameFiles.h"
#include "process/RefereeError.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

namespace {

// A line end after the move is forgiven; everything else must be exact.
std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string PositionFileText(const Position& position) {
  std::string text;
  text.reserve(static_cast<std::size_t>(position.size() * (position.size() + 1)));
  for (Int32 y = 0; y < position.size(); ++y) {
    for (Int32 x = 0; x < position.size(); ++x) text += position.At({x, y});
    text += '\n';
  }
  return text;
}

std::string WriteGameFiles(int folder, const Position& position, Side side) {
  if (const int error =
          tools::WriteFreshFile(folder, kPositionFileName, PositionFileText(position));
      error != 0) {
    return SystemErrorText(std::string("cannot write ") + kPositionFileName, error);
  }
  if (const int error =
          tools::WriteFreshFile(folder, kTurnFileName, std::string(1, TurnMarkerFor(side)) + "\n");
      error != 0) {
    return SystemErrorText(std::string("cannot write ") + kTurnFileName, error);
  }
  return {};
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

MoveVerdict JudgeMoveText(const MoveFile& file, const Position& position) {
  MoveVerdict verdict;
  if (!file.problem.empty()) {
    verdict.reason = file.problem;
    return verdict;
  }
  const auto move = file.cut ? std::nullopt : protocol::ParseCell(WithoutLineEnd(file.text));
  if (!move || !position.OnBoard(*move)) {
    verdict.reason = "wrote " + tools::QuotedText(file.text, file.cut) +
                     " instead of a move x,y in " + CoordinateRange(position);
    return verdict;
  }
  if (!position.IsEmpty(*move)) {
    verdict.fault = Ending::Occupied;
    verdict.reason = "played " + protocol::CellText(*move) + ", an occupied cell";
    return verdict;
  }
  verdict.move = move;
  return verdict;
}

}  // namespace fiverow::match
