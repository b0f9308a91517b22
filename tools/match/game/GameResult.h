// The whole story of one game: its conditions, its moves and their times,
// what the engines said, and how it ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "game/Opening.h"
#include "game/Rules.h"
#include "game/Sides.h"

namespace fiverow::match {

// How a game ended. The endings after Resigned are the loser's faults.
enum class Ending : std::uint8_t {
  Five,        // won on the board: five in a row by the rule
  BoardFull,   // a draw
  DrawAfter,   // a draw by adjudication: the moves a game may last were played
  Resigned,    // the loser gave up (a person typed quit, or their input ended)
  BadText,     // no move x,y on the board: wrong text in Tah.dat, a malformed reply
  Occupied,    // the move's cell already held a stone
  Forbidden,   // renju: x made a double-three, a double-four or an overline
  TimeOut,     // the engine ran over the time limit or its match time
  ExitStatus,  // the engine failed: a non-zero exit status, or a pipe engine ended,
               // refused (ERROR, UNKNOWN) or broke off the conversation
  Signal,      // the engine was killed by a signal
  Folder,      // the engine left its folder in a state that cannot be repaired
  Memory,      // the engine held more memory than its limit (--max-memory)
};

// Whether an ending counts against the side that caused it.
constexpr bool IsFault(Ending ending) {
  return ending != Ending::Five && ending != Ending::BoardFull && ending != Ending::DrawAfter &&
         ending != Ending::Resigned;
}

// Whether it is a fault of the engine's process (a crash, a time-out, a wrong
// answer, its memory), after which the engine is started afresh; a move the
// rules forbid, or one on an occupied cell, is a move like any other.
constexpr bool IsProcessFault(Ending ending) {
  return IsFault(ending) && ending != Ending::Occupied && ending != Ending::Forbidden;
}

// How many times an engine was started afresh, by the fault that ended its
// process.
using RestartCounts = std::map<Ending, int>;

// A line a pipe engine sent besides its answers, kept for the record:
// MESSAGE and DEBUG lines, ERROR and UNKNOWN lines while a move was due, and
// any other line that came when nothing was asked.
enum class NoteKind : std::uint8_t { Message, Debug, Error, Unknown, Other };
struct EngineNote {
  std::size_t beforeMove = 0;  // how many moves had been played
  Side side = Side::X;
  NoteKind kind = NoteKind::Message;
  std::string text;  // as sent, without the keyword (an Other line whole)
};

// At most this much text of an engine's notes is kept per game.
inline constexpr std::size_t kNoteBytes = 64 * 1024;

struct GameResult {
  int boardSize = kStandardBoardSize;
  Rule rule = Rule::Freestyle;
  Opening opening;
  std::vector<Move> moves;  // the legal moves after the opening
  // Each side's time of every move asked for, the last one too when it
  // lost the game.
  PerSide<std::vector<double>> moveSeconds;
  std::optional<Side> winner;  // none for a draw
  Ending ending = Ending::BoardFull;
  std::string reason;          // one line, e.g. "A (x) made five in a row with 9,10"
  PerSide<std::string> names;  // what the engines call themselves (ABOUT), if they say
  std::string engineOutput;    // a failed engine's report, as it wrote it
  bool engineOutputCut = false;
  std::vector<EngineNote> notes{};  // at most kNoteBytes of text per side
};

}  // namespace fiverow::match
