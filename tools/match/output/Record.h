// Game records: a plain-text file per game that --replay shows again.
//
//   fiverow-match game record 4
//   x: <command of the engine playing x>
//   o: <command of the engine playing o>
//   x protocol: file        (or "pipe", "human")
//   o protocol: pipe
//   rule: freestyle         (or "standard", "renju")
//   board: 20               (cells a side, 15 to 22)
//   opening: 9,9 10,10
//   result: x wins          (or "o wins", "draw")
//   reason: A made five in a row with 12,7
//   moves:
//   o MESSAGE depth 4       (a line a pipe engine sent besides its answers, before
//                            its next move: MESSAGE, DEBUG, ERROR, UNKNOWN, UNASKED)
//   9,8
//   ...
//
// The commands, the reason and the engines' lines are written escaped
// (EscapeText: a backslash as "\\", a line end as "\n", other control
// bytes as "\xHH"), so that each fits on its line and reads back exactly.
// Records of format 3 have no board line (20 x 20); those of format 2 no
// protocol, rule or engine lines either (file engines, freestyle); those of
// the first format, titled "fiverow-match game record", also hold the
// commands and the reason unescaped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameResult.h"
#include "match/Match.h"
#include "match/Standings.h"
#include "players/EngineProgram.h"

namespace fiverow::match {

struct GameRecord {
  std::string xCommand;
  std::string oCommand;
  Opening opening;
  std::optional<Side> winner;
  std::string reason;
  std::vector<Move> moves;
  PerSide<Protocol> protocols{};
  Rule rule = Rule::Freestyle;
  std::vector<EngineNote> notes{};
  int boardSize = kStandardBoardSize;
};

// The record of a game played.
GameRecord RecordOf(const PlayedGame& played, const std::vector<MatchEngine>& engines);

std::string FormatRecord(const GameRecord& record);

// Reads a record back; fails with a message on anything malformed, or on a
// game CheckGameRecord refuses.
std::optional<GameRecord> ParseRecord(std::string_view text, std::string& error);

// Whether the record's game could have been played on its board by its rule;
// else a message: a stone off the board or on an occupied cell, a move after
// a win or after x's forbidden move under renju, or a result the moves
// contradict (the game ends at a win, with the loss of the side that made a
// forbidden move, at a full board, or with the loss of the side to move).
bool CheckGameRecord(const GameRecord& record, std::string& error);

}  // namespace fiverow::match
