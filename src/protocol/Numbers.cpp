#include "protocol/Numbers.h"

#include "protocol/Text.h"

namespace fiverow::protocol {

std::optional<Int32> ParseNumber(std::string_view digits, std::size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  Int32 value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool ParseNumberList(std::string_view text, std::span<Int32> out) {
  for (std::size_t i = 0; i < out.size(); ++i) {
    const bool last = i + 1 == out.size();
    const std::size_t comma = last ? std::string_view::npos : text.find(',');
    if (!last && comma == std::string_view::npos) return false;
    const auto number = ParseNumber(TrimmedBlanks(text.substr(0, comma)), kLineNumberDigits);
    if (!number) return false;
    out[i] = *number;
    text.remove_prefix(last ? text.size() : comma + 1);
  }
  return true;
}

std::optional<Move> ParseCell(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto x = ParseNumber(text.substr(0, comma), kCellDigits);
  const auto y = ParseNumber(text.substr(comma + 1), kCellDigits);
  if (!x || !y) return std::nullopt;
  return Move{*x, *y};
}

std::optional<Move> ParseCellInLine(std::string_view text) {
  Int32 numbers[2] = {};
  if (!ParseNumberList(text, numbers)) return std::nullopt;
  return Move{numbers[0], numbers[1]};
}

std::string CellText(Move cell) { return std::to_string(cell.x) + "," + std::to_string(cell.y); }

}  // namespace fiverow::protocol
