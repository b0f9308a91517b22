#include "output/Sgf.h"

#include <algorithm>
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
  std::string value;  // the first; kept only for the properties read
};
using Node = std::vector<Property>;

// What is read of a tree: the root's GM, SZ, RU, RE, PB, PW and C, and the
// moves (and setup stones, which are refused) of every node; the rest is
// skipped unkept, so that what is held stays small whatever the file holds.
bool Read(std::string_view id, bool root) {
  if (id == "B" || id == "W" || id == "AB" || id == "AW" || id == "AE") return true;
  return root && (id == "GM" || id == "SZ" || id == "RU" || id == "RE" || id == "PB" ||
                  id == "PW" || id == "C");
}

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

// The record of a tree's main line, built node by node.
class TreeRecord {
 public:
  // Whether the node could be taken; else a message.
  bool Add(const Node& node, std::string& error) {
    const bool root = nodes_++ == 0;
    bool moved = false;
    for (const Property& property : node) {
      const std::string& value = property.value;
      const std::string& id = property.id;
      if (id == "B" || id == "W") {
        const Side side = id == "B" ? Side::X : Side::O;
        if (moved) return Fail(error, "a node with two moves");
        moved = true;
        const auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
        if (value.size() != 2 || !letter(value[0]) || !letter(value[1]))
          return Fail(error, "bad move " + id + "[" + tools::ShownText(value) + "]");
        if (side != (record_.moves.size() % 2 == 0 ? Side::X : Side::O)) {
          return Fail(error, "the moves do not alternate from black: move " +
                                 std::to_string(record_.moves.size() + 1) + " is " + id + "'s");
        }
        if (record_.moves.size() >= kMostMoves)
          return Fail(error, "more moves than any board has cells");
        record_.moves.push_back({value[0] - 'a', value[1] - 'a'});
      } else if (id == "AB" || id == "AW" || id == "AE") {
        return Fail(error, "setup stones (" + id + ") are not read: only B and W moves");
      } else if (!root) {
        continue;
      } else if (id == "GM" && value != "4") {
        return Fail(error, "not a gomoku game: GM[" + tools::ShownText(value) + "]");
      } else if (id == "SZ") {
        size_ = protocol::ParseNumber(value, protocol::kCellDigits);
        if (!size_ || *size_ < kSmallestBoardSize || *size_ > kLargestBoardSize) {
          return Fail(error, "the board size SZ[" + tools::ShownText(value) + "] is not from " +
                                 std::to_string(kSmallestBoardSize) + " to " +
                                 std::to_string(kLargestBoardSize));
        }
      } else if (id == "RU") {
        const std::optional<Rule> rule = RuleNamed(Lowercase(value));
        if (!rule) return Fail(error, "unknown rule RU[" + tools::ShownText(value) + "]");
        record_.rule = *rule;
      } else if (id == "RE") {
        result_ = value;
      } else if (id == "PB") {
        record_.xCommand = SimpleText(value);
      } else if (id == "PW") {
        record_.oCommand = SimpleText(value);
      } else if (id == "C") {
        record_.reason = value;
      }
    }
    return true;
  }

  std::optional<GameRecord> Finish(std::string& error) {
    if (!size_) {
      error = "no board size (SZ)";
      return std::nullopt;
    }
    record_.boardSize = *size_;
    if (!result_) {
      error = "no result (RE)";
      return std::nullopt;
    }
    if (result_->starts_with("B+") || result_->starts_with("W+")) {
      record_.winner = result_->front() == 'B' ? Side::X : Side::O;
    } else if (*result_ != "0" && *result_ != "Draw") {
      error = "unknown result RE[" + tools::ShownText(*result_) + "]";
      return std::nullopt;
    }
    if (!CheckGameRecord(record_, error)) return std::nullopt;
    return std::move(record_);
  }

 private:
  static constexpr std::size_t kMostMoves =
      static_cast<std::size_t>(kLargestBoardSize) * kLargestBoardSize;

  static bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
  }

  GameRecord record_;
  std::size_t nodes_ = 0;
  std::optional<int> size_;
  std::optional<std::string> result_;
};

// Game trees one after the other; of each, the nodes of its main line.
class TreeReader {
 public:
  explicit TreeReader(std::string_view text) : text_(text) { protocol::SkipByteOrderMark(text_); }

  // Whether another tree follows.
  bool More() {
    SkipBlanks();
    return at_ < text_.size();
  }

  // Reads the next tree, handing the nodes of its main line to `record`, if
  // any; whether it is well-formed SGF and `record` took them, else a
  // message. Variations nest without bound, so they are followed without
  // recursion, and with no more than counts: the open trees on the main line
  // are the first `mainDepth` of the `depth` open, and only the innermost
  // may still take nodes, until a variation begins in it.
  bool Tree(TreeRecord* record, std::string& error) {
    std::size_t depth = 0;
    std::size_t mainDepth = 0;
    bool branched = false;  // the innermost tree has a variation
    bool root = true;       // the next node on the main line is the root
    do {
      SkipBlanks();
      if (at_ >= text_.size()) return Fail(error, "the SGF ends inside a game tree");
      const std::size_t place = at_;
      const char c = text_[at_++];
      if (c == '(') {
        if (depth == 0 || (depth == mainDepth && !branched)) mainDepth = depth + 1;
        ++depth;
        branched = false;
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != ';') return Fail(error, "a tree without a node");
      } else if (c == ';' && depth > 0 && !branched) {
        const bool main = depth == mainDepth && record != nullptr;
        std::optional<Node> node = ReadNode(main && root, main, error);
        if (!node) return false;
        if (main) {
          root = false;
          if (!record->Add(*node, error)) return false;
        }
      } else if (c == ')' && depth > 0) {
        --depth;
        mainDepth = std::min(mainDepth, depth);
        branched = true;
      } else {
        return Fail(error, (c == '\0' ? std::string("a NUL byte")
                                      : "unexpected \"" + tools::ShownText({&c, 1}) + "\"") +
                               " at byte " + std::to_string(place + 1));
      }
    } while (depth > 0);
    return true;
  }

 private:
  static bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
  }

  void SkipBlanks() {
    while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
  }

  // Its properties, those `Read` wants of a node on the main line (`root`
  // for the tree's first), the first value of each.
  std::optional<Node> ReadNode(bool root, bool main, std::string& error) {
    Node node;
    while (true) {
      SkipBlanks();
      if (at_ >= text_.size() || !IsUpper(text_[at_])) break;
      std::string id;
      for (; at_ < text_.size() && IsUpper(text_[at_]); ++at_) {
        if (id.size() <= kLongestId) id += text_[at_];
      }
      const bool read = main && Read(id, root);
      int values = 0;
      std::string value;
      while (true) {
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != '[') break;
        ++at_;
        if (!ReadValue(read && values == 0 ? &value : nullptr)) {
          error = "the SGF ends inside the value of " + id;
          return std::nullopt;
        }
        ++values;
      }
      if (values == 0) {
        error = id + " has no value";
        return std::nullopt;
      }
      if (read) node.push_back({std::move(id), std::move(value)});
    }
    return node;
  }

  // Up to the "]" that ends it, into `value` unless null; a backslash
  // escapes the next character, and before a line end (a soft line break)
  // removes it. Whether the "]" came.
  bool ReadValue(std::string* value) {
    while (at_ < text_.size()) {
      char c = text_[at_++];
      if (c == ']') return true;
      if (c == '\\') {
        if (at_ >= text_.size()) break;
        c = text_[at_++];
        if (c == '\n' || c == '\r') {
          const char pair = c == '\n' ? '\r' : '\n';
          if (at_ < text_.size() && text_[at_] == pair) ++at_;
          continue;
        }
      }
      if (value != nullptr) *value += c;
    }
    return false;
  }

  // Longer identifiers are read on as one, and never wanted.
  static constexpr std::size_t kLongestId = 8;

  std::string_view text_;
  std::size_t at_ = 0;
};

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
    // Only the game asked for is kept; those before it are checked as SGF.
    std::optional<TreeRecord> record;
    if (count == game) record.emplace();
    if (!reader.Tree(record ? &*record : nullptr, error)) {
      error = "game " + std::to_string(count) + ": " + error;
      return std::nullopt;
    }
    if (!record) continue;
    std::optional<GameRecord> found = record->Finish(error);
    if (!found) error = "game " + std::to_string(game) + ": " + error;
    return found;
  }
  error = "it holds " + std::to_string(count) + (count == 1 ? " game" : " games") + ", not " +
          std::to_string(game);
  return std::nullopt;
}

}  // namespace fiverow::match
