// The file protocol: before each move the referee writes Plocha.dat with
// the position and Tah.dat with the side to play into the engine's folder;
// after it, it reads the move back from Tah.dat.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "game/GameResult.h"
#include "game/Position.h"

namespace fiverow::match {

// The side marker that makes the engine play `side`'s stones. The engine maps
// the first character of Tah.dat to its own stone code differently from the
// position file: an "o" there means "play the stones that are not written o".
constexpr char TurnMarkerFor(Side side) {
  return OwnCodeOf('o') == CellCodeOf(StoneChar(side)) ? 'o' : 'x';
}
static_assert(OwnCodeOf(TurnMarkerFor(Side::X)) == CellCodeOf('x'));
static_assert(OwnCodeOf(TurnMarkerFor(Side::O)) == CellCodeOf('o'));

// Plocha.dat: a line of "x", "o" or "-" per row, each ended by LF.
std::string PositionFileText(const Position& position);

// Writes both files anew into `folder`: an empty text when done, else why not.
std::string WriteGameFiles(int folder, const Position& position, Side side);

// What the engine left in Tah.dat: a regular file only, never through a
// link, at most kMoveFileLimit bytes.
struct MoveFile {
  std::string text;     // the first bytes
  bool cut = false;     // the file held more
  std::string problem;  // why there is no text, e.g. "Tah.dat is a symbolic link"
};
inline constexpr std::size_t kMoveFileLimit = 64;
MoveFile ReadMoveFile(int folder);

// Judges the text an engine left in Tah.dat: the move, or why it is illegal.
struct MoveVerdict {
  std::optional<Move> move;
  Ending fault = Ending::BadText;
  std::string reason;
};
MoveVerdict JudgeMoveText(const MoveFile& file, const Position& position);

}  // namespace fiverow::match
