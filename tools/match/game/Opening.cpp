#include "game/Opening.h"

#include <algorithm>

#include "common/EscapedText.h"
#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::match {

Position StartPosition(const Opening& opening, int size) {
  Position position(size);
  for (const Move cell : opening) position.Place(cell, SideToMove(position));
  return position;
}

std::optional<Opening> ParseOpening(std::string_view text, int size, std::string& error) {
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
  if (!CheckOpening(opening, size, error)) return std::nullopt;
  return opening;
}

bool CheckOpening(const Opening& opening, int size, std::string& error) {
  Position position(size);
  for (const Move cell : opening) {
    if (!position.OnBoard(cell)) {
      error = "the opening places a stone on " + protocol::CellText(cell) + ", off the board";
      return false;
    }
    if (!position.IsEmpty(cell)) {
      error = "the opening places two stones on " + protocol::CellText(cell);
      return false;
    }
    position.Place(cell, SideToMove(position));
    if (position.CompletesFive(cell)) {
      error = "the opening already has five in a row through " + protocol::CellText(cell);
      return false;
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
