#include "output/Record.h"

#include <algorithm>
#include <iterator>

#include "common/EscapedText.h"
#include "game/Judge.h"
#include "output/GameText.h"
#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::match {

namespace {
// By format, from the first.
constexpr std::string_view kTitles[] = {"fiverow-match game record", "fiverow-match game record 2",
                                        "fiverow-match game record 3",
                                        "fiverow-match game record 4"};
constexpr int kFormat = 4;

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

// "x MESSAGE text": an engine's line, or nothing if `line` is not one.
std::optional<EngineNote> ParseNote(std::string_view line, std::string& error) {
  if (line.size() < 2 || (line[0] != 'x' && line[0] != 'o') || line[1] != ' ') return std::nullopt;
  const Side side = line[0] == 'x' ? Side::X : Side::O;
  line.remove_prefix(2);
  for (const auto& [kind, keyword] : kNoteKeywords.entries) {
    if (!line.starts_with(keyword)) continue;
    std::string_view text = line.substr(keyword.size());
    if (!text.empty() && text.front() != ' ') continue;
    if (!text.empty()) text.remove_prefix(1);
    const auto bytes = tools::UnescapeText(text);
    if (!bytes) {
      error = "a malformed escape in an engine's line";
      return std::nullopt;
    }
    return EngineNote{0, side, kind, *bytes};
  }
  return std::nullopt;
}

}  // namespace

GameRecord RecordOf(const PlayedGame& played, const std::vector<MatchEngine>& engines) {
  const GameResult& result = played.result;
  GameRecord record;
  const MatchEngine& x = engines[played.setup.engines[Side::X]];
  const MatchEngine& o = engines[played.setup.engines[Side::O]];
  record.xCommand = x.program.command;
  record.oCommand = o.program.command;
  record.protocols[Side::X] = x.program.protocol;
  record.protocols[Side::O] = o.program.protocol;
  record.opening = result.opening;
  record.winner = result.winner;
  record.reason = result.reason;
  record.moves = result.moves;
  record.rule = result.rule;
  record.notes = result.notes;
  record.boardSize = result.boardSize;
  return record;
}

std::string FormatRecord(const GameRecord& record) {
  std::string text(kTitles[kFormat - 1]);
  text += "\nx: " + tools::EscapeText(record.xCommand);
  text += "\no: " + tools::EscapeText(record.oCommand);
  text += "\nx protocol: " + std::string(ProtocolName(record.protocols[Side::X]));
  text += "\no protocol: " + std::string(ProtocolName(record.protocols[Side::O]));
  text += "\nrule: " + std::string(RuleName(record.rule));
  text += "\nboard: " + std::to_string(record.boardSize);
  text += "\nopening: " + OpeningText(record.opening);
  text += "\nresult: " + ResultText(record.winner);
  text += "\nreason: " + tools::EscapeText(record.reason);
  text += "\nmoves:\n";
  std::size_t note = 0;
  for (std::size_t move = 0; move <= record.moves.size(); ++move) {
    for (; note < record.notes.size() && record.notes[note].beforeMove <= move; ++note) {
      const EngineNote& line = record.notes[note];
      text += StoneChar(line.side);
      text += ' ';
      text += NoteKeyword(line.kind);
      text += ' ';
      text += tools::EscapeText(line.text);
      text += '\n';
    }
    if (move < record.moves.size()) text += protocol::CellText(record.moves[move]) + "\n";
  }
  return text;
}

std::optional<GameRecord> ParseRecord(std::string_view text, std::string& error) {
  GameRecord record;
  const auto fail = [&error](std::string message) -> std::optional<GameRecord> {
    error = std::move(message);
    return std::nullopt;
  };
  const auto title = protocol::TakeLine(text);
  const auto titled = std::find(std::begin(kTitles), std::end(kTitles), title);
  if (!title || titled == std::end(kTitles)) return fail("not a fiverow-match game record");
  const auto format = static_cast<int>(titled - std::begin(kTitles)) + 1;
  const bool escaped = format >= 2;
  const bool full = format >= 3;  // with protocols, the rule and the engines' lines

  // The header, by key; "" for a key the record's format lacks.
  enum Key {
    kX,
    kO,
    kXProtocol,
    kOProtocol,
    kRule,
    kBoard,
    kOpening,
    kResult,
    kReason,
    kMoves,
    kKeys
  };
  constexpr std::string_view kNames[kKeys] = {"x",      "o",     "x protocol", "o protocol",
                                              "rule",   "board", "opening",    "result",
                                              "reason", "moves"};
  std::string_view values[kKeys];
  for (int key = 0; key < kKeys; ++key) {
    if (!full && (key == kXProtocol || key == kOProtocol || key == kRule)) continue;
    if (format < 4 && key == kBoard) continue;
    const auto line = protocol::TakeLine(text);
    const auto value = line ? ValueOf(*line, kNames[key]) : std::nullopt;
    if (!value)
      return fail("the record has no \"" + std::string(kNames[key]) + ":\" line where expected");
    values[key] = *value;
  }
  std::string unescaped[kKeys];
  for (const int key : {kX, kO, kReason}) {
    const auto bytes = escaped ? tools::UnescapeText(values[key]) : std::string(values[key]);
    if (!bytes) return fail("a malformed escape in the \"" + std::string(kNames[key]) + ":\" line");
    unescaped[key] = *bytes;
  }
  record.xCommand = unescaped[kX];
  record.oCommand = unescaped[kO];
  record.reason = unescaped[kReason];
  if (full) {
    for (const auto& [key, side] :
         {std::pair{kXProtocol, Side::X}, std::pair{kOProtocol, Side::O}}) {
      const auto protocol = ProtocolNamed(values[key]);
      if (!protocol) return fail("unknown protocol \"" + tools::ShownText(values[key]) + "\"");
      record.protocols[side] = *protocol;
    }
    const std::optional<Rule> rule = RuleNamed(values[kRule]);
    if (!rule) return fail("unknown rule \"" + tools::ShownText(values[kRule]) + "\"");
    record.rule = *rule;
  }
  if (format >= 4) {
    const auto size = protocol::ParseNumber(values[kBoard], protocol::kCellDigits);
    if (!size || *size < kSmallestBoardSize || *size > kLargestBoardSize) {
      return fail("the board size \"" + tools::ShownText(values[kBoard]) + "\" is not from " +
                  std::to_string(kSmallestBoardSize) + " to " + std::to_string(kLargestBoardSize));
    }
    record.boardSize = *size;
  }
  std::string openingError;
  const auto opening = ParseOpening(values[kOpening], record.boardSize, record.rule, openingError);
  if (!opening) return fail(openingError);
  record.opening = *opening;
  if (values[kResult] == "x wins") {
    record.winner = Side::X;
  } else if (values[kResult] == "o wins") {
    record.winner = Side::O;
  } else if (values[kResult] != "draw") {
    return fail("unknown result \"" + tools::ShownText(values[kResult]) + "\"");
  }

  while (const auto line = protocol::TakeLine(text)) {
    if (line->empty()) continue;
    if (full) {
      std::string noteError;
      if (auto note = ParseNote(*line, noteError)) {
        note->beforeMove = record.moves.size();
        record.notes.push_back(std::move(*note));
        continue;
      }
      if (!noteError.empty()) return fail(noteError);
    }
    const auto move = protocol::ParseCell(*line);
    if (!move) return fail("bad move \"" + tools::ShownText(*line) + "\"");
    record.moves.push_back(*move);
  }
  if (!CheckGameRecord(record, error)) return std::nullopt;
  return record;
}

bool CheckGameRecord(const GameRecord& record, std::string& error) {
  if (!CheckOpening(record.opening, record.boardSize, record.rule, error)) return false;
  Position position = StartPosition(record.opening, record.boardSize);
  // How the moves ended the game, if they did: a win, or under renju x's
  // forbidden move, which loses.
  std::optional<Side> decided;
  std::string_view decidedBy;
  for (const Move move : record.moves) {
    const std::string cell = protocol::CellText(move);
    if (!position.OnBoard(move)) {
      error = "the move " + cell + " is off the board of " + std::to_string(position.size());
      return false;
    }
    if (decided) {
      error = "the move " + cell + " comes after " + std::string(decidedBy);
      return false;
    }
    if (!position.IsEmpty(move)) {
      error = "the move " + cell + " is on an occupied cell";
      return false;
    }
    const Side side = SideToMove(position);
    const Verdict verdict = PlaceStone(position, move, side, record.rule).verdict;
    if (verdict == Verdict::Forbidden) {
      decided = Opponent(side);
      decidedBy = "a forbidden move";
    } else if (verdict == Verdict::Wins) {
      decided = side;
      decidedBy = "five in a row";
    }
  }
  // A win or a forbidden move ends the game; a full board is a draw; any
  // other end is the loss of the side to move, or a draw by adjudication
  // (--draw-after).
  const std::optional<Side> winner = decided ? decided
                                     : position.IsFull()
                                         ? std::nullopt
                                         : std::optional(Opponent(SideToMove(position)));
  const bool adjudicated = !decided && !record.winner;
  if (record.winner != winner && !adjudicated) {
    error = "the result \"" + ResultText(record.winner) +
            "\" contradicts the moves, which give \"" + ResultText(winner) + "\"";
    return false;
  }
  return true;
}

}  // namespace fiverow::match
