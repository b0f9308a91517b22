#include "match/Opening.h"

#include <algorithm>

#include "common/CellText.h"
#include "match/Position.h"

namespace fiverow::match {

Position StartPosition(const Opening& opening) {
  Position position;
  for (const Move cell : opening) position.Place(cell, SideToMove(position));
  return position;
}

std::optional<Opening> ParseOpening(std::string_view text, std::string& error) {
  Opening opening;
  Position position;
  Side side = Side::X;
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
    const std::string_view word = text.substr(at, end - at);
    at = end;
    const auto cell = tools::ParseCell(word);
    if (!cell) {
      error = "bad cell \"" + std::string(word) +
              "\" in the opening (expected x,y with x and y in 0..19)";
      return std::nullopt;
    }
    if (!position.IsEmpty(*cell)) {
      error = "the opening places two stones on " + tools::CellText(*cell);
      return std::nullopt;
    }
    position.Place(*cell, side);
    if (position.CompletesFive(*cell)) {
      error = "the opening already has five in a row through " + tools::CellText(*cell);
      return std::nullopt;
    }
    opening.push_back(*cell);
    side = Opponent(side);
  }
  return opening;
}

std::string OpeningText(const Opening& opening) {
  std::string text;
  for (const Move cell : opening) {
    if (!text.empty()) text += ' ';
    text += tools::CellText(cell);
  }
  return text;
}

Opening OpeningSource::Next() {
  constexpr Int32 kLow = 7;
  constexpr std::uint64_t kSpan = 6;  // columns and rows 7..12
  constexpr std::size_t kStones = 4;
  Opening opening;
  while (opening.size() < kStones) {
    // Plain modulo rather than a standard distribution, whose results differ
    // between library implementations.
    const Move cell{kLow + static_cast<Int32>(random_() % kSpan),
                    kLow + static_cast<Int32>(random_() % kSpan)};
    if (std::find(opening.begin(), opening.end(), cell) == opening.end()) opening.push_back(cell);
  }
  return opening;
}

}  // namespace fiverow::match
