#include "output/Sgf.h"

#include <utility>
#include <vector>

#include "common/EscapedText.h"
#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::match {

namespace {

constexpr std::size_t kMovesPerLine = 10;
// B for x, the first player; W for o.
constexpr char Colour(Side side) { return side == Side::X ? 'B' : 'W'; }

// A value as SGF writes it: shown safely on one line, "]" and "\" escaped.
std::string Value(std::string_view text) {
  std::string value;
  for (const char c : tools::ShownText(text)) {
    if (c == ']' || c == '\\') value += '\\';
    value += c;
  }
  return value;
}

std::string ResultValue(const std::optional<Side>& winner, Ending ending) {
  if (!winner) return "0";
  std::string value = std::string(1, Colour(*winner)) + "+";
  if (ending == Ending::TimeOut) return value + "T";
  if (ending == Ending::Resigned) return value + "R";
  if (IsFault(ending)) return value + "F";
  return value;
}

std::string CellValue(Move cell) {
  return {static_cast<char>('a' + cell.x), static_cast<char>('a' + cell.y)};
}

// ---- reading ---------------------------------------------------------------

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
constexpr bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

struct Property {
  std::string id;
  std::vector<std::string> values;
};
using Node = std::vector<Property>;

// Game trees one after the other; of each, the nodes of its main line.
class TreeReader {
 public:
  explicit TreeReader(std::string_view text) : text_(text) { protocol::SkipByteOrderMark(text_); }

  // Whether another tree follows.
  bool More() {
    SkipBlanks();
    return at_ < text_.size();
  }

  // The next tree's main line; nothing, with a message, for malformed SGF.
  // Variations nest without bound, so they are followed without recursion.
  std::optional<std::vector<Node>> Tree(std::string& error) {
    struct Open {
      bool main;         // on the main line
      bool hasChildren;  // a variation has begun: no more nodes
    };
    std::vector<Open> open;
    std::vector<Node> nodes;
    do {
      SkipBlanks();
      const char c = at_ < text_.size() ? text_[at_++] : '\0';
      if (c == '(') {
        const bool main = open.empty() || (open.back().main && !open.back().hasChildren);
        if (!open.empty()) open.back().hasChildren = true;
        open.push_back({main, false});
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != ';') return Fail(error, "a tree without a node");
      } else if (c == ';' && !open.empty() && !open.back().hasChildren) {
        std::optional<Node> node = ReadNode(error);
        if (!node) return std::nullopt;
        if (open.back().main) nodes.push_back(std::move(*node));
      } else if (c == ')' && !open.empty()) {
        open.pop_back();
      } else {
        return Fail(error, c == '\0' ? "the SGF ends inside a game tree"
                                     : "unexpected \"" + tools::ShownText({&c, 1}) + "\"");
      }
    } while (!open.empty());
    return nodes;
  }

 private:
  static std::nullopt_t Fail(std::string& error, std::string message) {
    error = std::move(message);
    return std::nullopt;
  }

  void SkipBlanks() {
    while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  }

  std::optional<Node> ReadNode(std::string& error) {
    Node node;
    while (true) {
      SkipBlanks();
      if (at_ >= text_.size() || !IsUpper(text_[at_])) break;
      Property property;
      while (at_ < text_.size() && IsUpper(text_[at_])) property.id += text_[at_++];
      while (true) {
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != '[') break;
        ++at_;
        std::optional<std::string> value = ReadValue();
        if (!value) return Fail(error, "the SGF ends inside the value of " + property.id);
        property.values.push_back(std::move(*value));
      }
      if (property.values.empty()) return Fail(error, property.id + " has no value");
      node.push_back(std::move(property));
    }
    return node;
  }

  // Up to the "]" that ends it; a backslash escapes the next character, and
  // before a line end (a soft line break) removes it.
  std::optional<std::string> ReadValue() {
    std::string value;
    while (at_ < text_.size()) {
      char c = text_[at_++];
      if (c == ']') return value;
      if (c == '\\') {
        if (at_ >= text_.size()) break;
        c = text_[at_++];
        if (c == '\n' || c == '\r') {
          const char pair = c == '\n' ? '\r' : '\n';
          if (at_ < text_.size() && text_[at_] == pair) ++at_;
          continue;
        }
      }
      value += c;
    }
    return std::nullopt;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// A name on one line: line ends and tabs become blanks.
std::string SimpleText(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

std::string Lowercase(std::string text) {
  for (char& c : text) {
    if (IsUpper(c)) c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The record of a tree's main line.
std::optional<GameRecord> RecordOfTree(const std::vector<Node>& nodes, std::string& error) {
  const auto fail = [&error](std::string message) -> std::optional<GameRecord> {
    error = std::move(message);
    return std::nullopt;
  };
  GameRecord record;
  std::optional<int> size;
  std::optional<std::string> result;
  for (std::size_t index = 0; index < nodes.size(); ++index) {
    std::optional<Side> mover;
    for (const Property& property : nodes[index]) {
      const std::string& value = property.values.front();
      const std::string& id = property.id;
      if (id == "B" || id == "W") {
        const Side side = id == "B" ? Side::X : Side::O;
        if (mover) return fail("a node with two moves");
        mover = side;
        const auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
        if (value.size() != 2 || !letter(value[0]) || !letter(value[1])) {
          return fail("bad move " + id + "[" + tools::ShownText(value) + "]");
        }
        if (side != (record.moves.size() % 2 == 0 ? Side::X : Side::O)) {
          return fail("the moves do not alternate from black: move " +
                      std::to_string(record.moves.size() + 1) + " is " + id + "'s");
        }
        record.moves.push_back({value[0] - 'a', value[1] - 'a'});
      } else if (id == "AB" || id == "AW" || id == "AE") {
        return fail("setup stones (" + id + ") are not read: only B and W moves");
      } else if (index > 0) {
        continue;  // the root's properties only
      } else if (id == "GM" && value != "4") {
        return fail("not a gomoku game: GM[" + tools::ShownText(value) + "]");
      } else if (id == "SZ") {
        size = protocol::ParseNumber(value, protocol::kCellDigits);
        if (!size || *size < kSmallestBoardSize || *size > kLargestBoardSize) {
          return fail("the board size SZ[" + tools::ShownText(value) + "] is not from " +
                      std::to_string(kSmallestBoardSize) + " to " +
                      std::to_string(kLargestBoardSize));
        }
      } else if (id == "RU") {
        const std::optional<Rule> rule = RuleNamed(Lowercase(value));
        if (!rule) return fail("unknown rule RU[" + tools::ShownText(value) + "]");
        record.rule = *rule;
      } else if (id == "RE") {
        result = value;
      } else if (id == "PB") {
        record.xCommand = SimpleText(value);
      } else if (id == "PW") {
        record.oCommand = SimpleText(value);
      } else if (id == "C") {
        record.reason = value;
      }
    }
  }
  if (!size) return fail("no board size (SZ)");
  record.boardSize = *size;
  if (!result) return fail("no result (RE)");
  if (result->starts_with("B+") || result->starts_with("W+")) {
    record.winner = result->front() == 'B' ? Side::X : Side::O;
  } else if (*result != "0" && *result != "Draw") {
    return fail("unknown result RE[" + tools::ShownText(*result) + "]");
  }
  if (!CheckGameRecord(record, error)) return std::nullopt;
  return record;
}

}  // namespace

std::string FormatSgf(const GameRecord& record, const PerSide<std::string>& players,
                      Ending ending) {
  std::string text = "(;GM[4]FF[4]CA[UTF-8]SZ[" + std::to_string(record.boardSize) + "]";
  text += "PB[" + Value(players[Side::X]) + "]PW[" + Value(players[Side::O]) + "]";
  text += "RE[" + ResultValue(record.winner, ending) + "]";
  text += "RU[" + std::string(RuleName(record.rule)) + "]";
  text += "\nC[" + Value(record.reason) + "]";
  std::vector<Move> stones = record.opening;
  stones.insert(stones.end(), record.moves.begin(), record.moves.end());
  for (std::size_t index = 0; index < stones.size(); ++index) {
    if (index % kMovesPerLine == 0) text += '\n';
    text += ';';
    text += Colour(index % 2 == 0 ? Side::X : Side::O);
    text += '[';
    text += CellValue(stones[index]);
    text += ']';
  }
  text += ")\n";
  return text;
}

bool LooksLikeSgf(std::string_view text) {
  protocol::SkipByteOrderMark(text);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && text[first] == '(';
}

std::optional<GameRecord> ParseSgf(std::string_view text, int game, std::string& error) {
  TreeReader reader(text);
  int count = 0;
  while (reader.More()) {
    ++count;
    std::optional<std::vector<Node>> nodes = reader.Tree(error);
    if (!nodes) {
      error = "game " + std::to_string(count) + ": " + error;
      return std::nullopt;
    }
    if (count < game) continue;
    std::optional<GameRecord> record = RecordOfTree(*nodes, error);
    if (!record) error = "game " + std::to_string(game) + ": " + error;
    return record;
  }
  error = "it holds " + std::to_string(count) + (count == 1 ? " game" : " games") + ", not " +
          std::to_string(game);
  return std::nullopt;
}

}  // namespace fiverow::match
