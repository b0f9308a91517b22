// Game records: a plain-text file per game that --replay shows again.
//
//   fiverow-match game record 2
//   x: <command of the engine playing x>
//   o: <command of the engine playing o>
//   opening: 9,9 10,10
//   result: x wins          (or "o wins", "draw")
//   reason: A made five in a row with 12,7
//   moves:
//   9,8
//   ...
//
// The commands and the reason are written escaped (EscapeText: a backslash
// as "\\", a line end as "\n", other control bytes as "\xHH"), so that any
// command fits on its line and reads back exactly. Records of the first
// format, titled "fiverow-match game record", hold them unescaped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "match/Opening.h"
#include "match/Position.h"

namespace fiverow::match {

struct GameRecord {
  std::string xCommand;
  std::string oCommand;
  Opening opening;
  std::optional<Side> winner;
  std::string reason;
  std::vector<Move> moves;
};

std::string FormatRecord(const GameRecord& record);

// Reads a record back; fails with a message on anything malformed: a move on
// an occupied cell, a move after five in a row, or a result the moves
// contradict (the game ends at five, at a full board, or with the loss of
// the side to move).
std::optional<GameRecord> ParseRecord(std::string_view text, std::string& error);

std::string ResultText(const std::optional<Side>& winner);

}  // namespace fiverow::match
