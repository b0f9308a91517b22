#include "common/CellText.h"

namespace fiverow::tools {

namespace {
std::optional<Int32> ParseCoordinate(std::string_view digits) {
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  Int32 value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value >= kPlaySize) return std::nullopt;
  return value;
}
}  // namespace

std::optional<Move> ParseCell(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto x = ParseCoordinate(text.substr(0, comma));
  const auto y = ParseCoordinate(text.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return Move{*x, *y};
}

std::string CellText(Move cell) { return std::to_string(cell.x) + "," + std::to_string(cell.y); }

}  // namespace fiverow::tools
