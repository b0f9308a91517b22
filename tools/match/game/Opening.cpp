#include "game/Opening.h"

#include <algorithm>

#include "common/EscapedText.h"
#include "game/Judge.h"
#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::match {

Position StartPosition(const Opening& opening, int size) {
  Position position(size);
  for (const Move cell : opening) position.Place(cell, SideToMove(position));
  return position;
}

std::optional<Opening> ParseOpening(std::string_view text, int size, Rule rule,
                                    std::string& error) {
  Opening opening;
  const Position board(size);
  for (protocol::FirstWord next = protocol::SplitFirstWord(text); !next.word.empty();
       next = protocol::SplitFirstWord(next.rest)) {
    const std::string_view word = next.word;
    const auto cell = protocol::ParseCell(word);
    if (!cell || !board.OnBoard(*cell)) {
      error = "bad cell \"" + tools::ShownText(word) +
              "\" in the opening (expected x,y with x and y in " + CoordinateRange(board) + ")";
      return std::nullopt;
    }
    opening.push_back(*cell);
  }
  if (!CheckOpening(opening, size, rule, error)) return std::nullopt;
  return opening;
}

bool CheckOpening(const Opening& opening, int size, Rule rule, std::string& error) {
  Position position(size);
  for (const Move cell : opening) {
    const std::string shown = protocol::CellText(cell);
    switch (PlaceStone(position, cell, SideToMove(position), rule).verdict) {
      case Verdict::OffBoard:
        error = "the opening places a stone on " + shown + ", off the board";
        return false;
      case Verdict::Occupied: error = "the opening places two stones on " + shown; return false;
      case Verdict::Wins:
        error = "the opening already has five in a row through " + shown;
        return false;
      case Verdict::Forbidden:
      case Verdict::Continues: break;
    }
  }
  return true;
}

std::string OpeningText(const Opening& opening) {
  std::string text;
  for (const Move cell : opening) {
    if (!text.empty()) text += ' ';
    text += protocol::CellText(cell);
  }
  return text;
}

}  // namespace fiverow::match
