#include "game/Opening.h"

#include <algorithm>

#include "protocol/Numbers.h"

namespace fiverow::match {

Position StartPosition(const Opening& opening, int size) {
  Position position(size);
  for (const Move cell : opening) position.Place(cell, SideToMove(position));
  return position;
}

std::optional<Opening> ParseOpening(std::string_view text, int size, std::string& error) {
  Opening opening;
  Position position(size);
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
    const std::string_view word = text.substr(at, end - at);
    at = end;
    const auto cell = protocol::ParseCell(word);
    if (!cell || !position.OnBoard(*cell)) {
      error = "bad cell \"" + std::string(word) +
              "\" in the opening (expected x,y with x and y in " + CoordinateRange(position) + ")";
      return std::nullopt;
    }
    if (!position.IsEmpty(*cell)) {
      error = "the opening places two stones on " + protocol::CellText(*cell);
      return std::nullopt;
    }
    position.Place(*cell, SideToMove(position));
    if (position.CompletesFive(*cell)) {
      error = "the opening already has five in a row through " + protocol::CellText(*cell);
      return std::nullopt;
    }
    opening.push_back(*cell);
  }
  return opening;
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
