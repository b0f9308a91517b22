#include "game/OpeningNotation.h"

#include <array>

#include "common/EscapedText.h"
#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::match {

namespace {

std::string BadCell(std::string_view word, const std::string& why) {
  return "bad cell \"" + tools::ShownText(word) + "\" (" + why + ")";
}

std::string BoardText(int size) {
  return std::to_string(size) + " x " + std::to_string(size) + " board";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A whole number of at most kCellDigits digits, with an optional minus.
std::optional<Int32> SignedNumber(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  const std::optional<Int32> value = protocol::ParseNumber(text, protocol::kCellDigits);
  if (!value) return std::nullopt;
  return negative ? -*value : *value;
}

// Where the next move of an offset line ends: at a comma followed by a blank.
std::size_t OffsetSeparator(std::string_view text) {
  for (std::size_t at = text.find(','); at != std::string_view::npos; at = text.find(',', at + 1)) {
    if (at + 1 < text.size() && IsBlank(text[at + 1])) return at;
  }
  return std::string_view::npos;
}

std::optional<Opening> ParseOffsets(std::string_view line, int size, std::string& error) {
  const Position board(size);
  const Int32 centre = size / 2;
  Opening opening;
  while (!line.empty()) {
    const std::size_t end = OffsetSeparator(line);
    const std::string_view word = line.substr(0, end);
    line = end == std::string_view::npos ? std::string_view()
                                         : protocol::TrimmedBlanks(line.substr(end + 1));
    const std::size_t comma = word.find(',');
    const std::optional<Int32> dx = SignedNumber(word.substr(0, comma));
    const std::optional<Int32> dy =
        comma == std::string_view::npos ? std::nullopt : SignedNumber(word.substr(comma + 1));
    if (!dx || !dy) {
      error = BadCell(word, "expected dx,dy from the centre, moves separated by \", \"");
      return std::nullopt;
    }
    const Move cell{centre + *dx, centre + *dy};
    if (!board.OnBoard(cell)) {
      error = BadCell(word, protocol::CellText(cell) + " is off the " + BoardText(size));
      return std::nullopt;
    }
    opening.push_back(cell);
  }
  return opening;
}

std::optional<Opening> ParsePositions(std::string_view line, int size, std::string& error) {
  const Position board(size);
  Opening opening;
  while (!line.empty()) {
    std::size_t end = 1;
    while (end < line.size() && !IsLetter(line[end])) ++end;
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end);
    const std::optional<Int32> row = protocol::ParseNumber(word.substr(1), protocol::kCellDigits);
    const char column = IsLetter(word[0]) ? static_cast<char>(word[0] | 0x20) : '\0';
    const Move cell{column - 'a', row.value_or(0) - 1};
    if (column == '\0' || !row || !board.OnBoard(cell)) {
      const std::string last(1, static_cast<char>('a' + size - 1));
      error =
          BadCell(word, "expected a column a.." + last + " and a row 1.." + std::to_string(size) +
                            " on the " + BoardText(size) + ", moves written together");
      return std::nullopt;
    }
    opening.push_back(cell);
  }
  return opening;
}

}  // namespace

std::string_view OpeningFormatName(OpeningFormat format) { return kFormatNames.NameOf(format); }

std::optional<OpeningFormat> OpeningFormatNamed(std::string_view name) {
  return kFormatNames.Named(name);
}

std::optional<Opening> ParseOpeningLine(std::string_view line, OpeningFormat format, int size,
                                        Rule rule, std::string& error) {
  line = protocol::TrimmedBlanks(line);
  std::optional<Opening> opening;
  switch (format) {
    case OpeningFormat::Offset: opening = ParseOffsets(line, size, error); break;
    case OpeningFormat::Pos: opening = ParsePositions(line, size, error); break;
    case OpeningFormat::Xy: return ParseOpening(line, size, rule, error);
  }
  if (opening && !CheckOpening(*opening, size, rule, error)) return std::nullopt;
  return opening;
}

Opening Symmetric(const Opening& opening, int symmetry, int size) {
  const Int32 last = size - 1;
  Opening moved;
  for (const Move cell : opening) {
    Move image = symmetry >= 4 ? Move{last - cell.x, cell.y} : cell;
    for (int turn = 0; turn < symmetry % 4; ++turn) image = {last - image.y, image.x};
    moved.push_back(image);
  }
  return moved;
}

}  // namespace fiverow::match
