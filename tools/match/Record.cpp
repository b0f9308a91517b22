#include "match/Record.h"

#include "common/CellText.h"
#include "common/EscapedText.h"

namespace fiverow::match {

namespace {
constexpr std::string_view kFirstTitle = "fiverow-match game record";
constexpr std::string_view kTitle = "fiverow-match game record 2";

// Takes the next line off `text`, without its line end.
std::optional<std::string_view> NextLine(std::string_view& text) {
  if (text.empty()) return std::nullopt;
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The value of a "key: value" line, or nothing if the line has another key.
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view key) {
  if (line.size() < key.size() + 1 || line.substr(0, key.size()) != key ||
      line[key.size()] != ':') {
    return std::nullopt;
  }
  line.remove_prefix(key.size() + 1);
  if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return line;
}
}  // namespace

std::string ResultText(const std::optional<Side>& winner) {
  if (!winner) return "draw";
  return std::string(1, StoneChar(*winner)) + " wins";
}

std::string FormatRecord(const GameRecord& record) {
  std::string text(kTitle);
  text += "\nx: " + tools::EscapeText(record.xCommand);
  text += "\no: " + tools::EscapeText(record.oCommand);
  text += "\nopening: " + OpeningText(record.opening);
  text += "\nresult: " + ResultText(record.winner);
  text += "\nreason: " + tools::EscapeText(record.reason);
  text += "\nmoves:\n";
  for (const Move move : record.moves) text += tools::CellText(move) + "\n";
  return text;
}

std::optional<GameRecord> ParseRecord(std::string_view text, std::string& error) {
  GameRecord record;
  const auto fail = [&error](std::string message) -> std::optional<GameRecord> {
    error = std::move(message);
    return std::nullopt;
  };
  const auto title = NextLine(text);
  if (title != kTitle && title != kFirstTitle) return fail("not a fiverow-match game record");
  const bool escaped = title == kTitle;

  std::string_view values[6];
  std::string unescaped[6];
  constexpr std::string_view kKeys[6] = {"x", "o", "opening", "result", "reason", "moves"};
  for (std::size_t i = 0; i < 6; ++i) {
    const auto line = NextLine(text);
    const auto value = line ? ValueOf(*line, kKeys[i]) : std::nullopt;
    if (!value)
      return fail("the record has no \"" + std::string(kKeys[i]) + ":\" line where expected");
    values[i] = *value;
  }
  for (const std::size_t i : {0u, 1u, 4u}) {
    if (!escaped) continue;
    const auto bytes = tools::UnescapeText(values[i]);
    if (!bytes) return fail("a malformed escape in the \"" + std::string(kKeys[i]) + ":\" line");
    unescaped[i] = *bytes;
  }
  record.xCommand = escaped ? unescaped[0] : std::string(values[0]);
  record.oCommand = escaped ? unescaped[1] : std::string(values[1]);
  std::string openingError;
  const auto opening = ParseOpening(values[2], openingError);
  if (!opening) return fail(openingError);
  record.opening = *opening;
  if (values[3] == "x wins") {
    record.winner = Side::X;
  } else if (values[3] == "o wins") {
    record.winner = Side::O;
  } else if (values[3] != "draw") {
    return fail("unknown result \"" + std::string(values[3]) + "\"");
  }
  record.reason = escaped ? unescaped[4] : std::string(values[4]);

  Position position = StartPosition(record.opening);
  std::optional<Side> fiveBy;
  while (const auto line = NextLine(text)) {
    if (line->empty()) continue;
    const auto move = tools::ParseCell(*line);
    if (!move) return fail("bad move \"" + tools::ShownText(*line) + "\"");
    if (fiveBy) return fail("the move " + std::string(*line) + " comes after five in a row");
    if (!position.IsEmpty(*move))
      return fail("the move " + std::string(*line) + " is on an occupied cell");
    const Side side = SideToMove(position);
    position.Place(*move, side);
    record.moves.push_back(*move);
    if (position.CompletesFive(*move)) fiveBy = side;
  }
  // Five wins; a full board is a draw; any other end is the loss of the side
  // to move.
  const std::optional<Side> winner = fiveBy ? fiveBy
                                     : position.IsFull()
                                         ? std::nullopt
                                         : std::optional(Opponent(SideToMove(position)));
  if (record.winner != winner) {
    return fail("the result \"" + std::string(values[3]) +
                "\" contradicts the moves, which give \"" + ResultText(winner) + "\"");
  }
  return record;
}

}  // namespace fiverow::match
