#include "output/Record.h"

#include "common/EscapedText.h"
#include "game/Renju.h"
#include "output/GameText.h"
#include "protocol/Numbers.h"

namespace fiverow::match {

namespace {
constexpr std::string_view kFirstTitle = "fiverow-match game record";
constexpr std::string_view kSecondTitle = "fiverow-match game record 2";
constexpr std::string_view kTitle = "fiverow-match game record 3";

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
constexpr NoteKind kNoteKinds[] = {NoteKind::Message, NoteKind::Debug, NoteKind::Error,
                                   NoteKind::Unknown, NoteKind::Other};

// "x MESSAGE text": an engine's line, or nothing if `line` is not one.
std::optional<EngineNote> ParseNote(std::string_view line, std::string& error) {
  if (line.size() < 2 || (line[0] != 'x' && line[0] != 'o') || line[1] != ' ') return std::nullopt;
  const Side side = line[0] == 'x' ? Side::X : Side::O;
  line.remove_prefix(2);
  for (const NoteKind kind : kNoteKinds) {
    const std::string_view keyword = NoteKeyword(kind);
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
  record.xCommand = x.spec.command;
  record.oCommand = o.spec.command;
  record.protocols[Side::X] = x.spec.protocol;
  record.protocols[Side::O] = o.spec.protocol;
  record.opening = result.opening;
  record.winner = result.winner;
  record.reason = result.reason;
  record.moves = result.moves;
  record.rule = result.rule;
  record.notes = result.notes;
  return record;
}

std::string FormatRecord(const GameRecord& record) {
  std::string text(kTitle);
  text += "\nx: " + tools::EscapeText(record.xCommand);
  text += "\no: " + tools::EscapeText(record.oCommand);
  text += "\nx protocol: " + std::string(ProtocolName(record.protocols[Side::X]));
  text += "\no protocol: " + std::string(ProtocolName(record.protocols[Side::O]));
  text += "\nrule: " + std::string(RuleName(record.rule));
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
  const auto title = NextLine(text);
  if (title != kTitle && title != kSecondTitle && title != kFirstTitle)
    return fail("not a fiverow-match game record");
  const bool escaped = title != kFirstTitle;
  const bool full = title == kTitle;  // with protocols, the rule and the engines' lines

  // The header, by key; "" for a key the record's format lacks.
  enum Key { kX, kO, kXProtocol, kOProtocol, kRule, kOpening, kResult, kReason, kMoves, kKeys };
  constexpr std::string_view kNames[kKeys] = {
      "x", "o", "x protocol", "o protocol", "rule", "opening", "result", "reason", "moves"};
  std::string_view values[kKeys];
  for (int key = 0; key < kKeys; ++key) {
    if (!full && (key == kXProtocol || key == kOProtocol || key == kRule)) continue;
    const auto line = NextLine(text);
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
  std::string openingError;
  const auto opening = ParseOpening(values[kOpening], kStandardBoardSize, openingError);
  if (!opening) return fail(openingError);
  record.opening = *opening;
  if (values[kResult] == "x wins") {
    record.winner = Side::X;
  } else if (values[kResult] == "o wins") {
    record.winner = Side::O;
  } else if (values[kResult] != "draw") {
    return fail("unknown result \"" + std::string(values[kResult]) + "\"");
  }

  Position position = StartPosition(record.opening, kStandardBoardSize);
  // How the moves ended the game, if they did: a win, or under renju x's
  // forbidden move, which loses.
  std::optional<Side> decided;
  std::string_view decidedBy;
  while (const auto line = NextLine(text)) {
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
    if (!move || !position.OnBoard(*move))
      return fail("bad move \"" + tools::ShownText(*line) + "\"");
    if (decided)
      return fail("the move " + std::string(*line) + " comes after " + std::string(decidedBy));
    if (!position.IsEmpty(*move))
      return fail("the move " + std::string(*line) + " is on an occupied cell");
    const Side side = SideToMove(position);
    position.Place(*move, side);
    record.moves.push_back(*move);
    if (record.rule == Rule::Renju && side == Side::X && RenjuFoul(position, *move)) {
      decided = Opponent(side);
      decidedBy = "a forbidden move";
    } else if (Wins(position, *move, record.rule)) {
      decided = side;
      decidedBy = "five in a row";
    }
  }
  // A win or a forbidden move ends the game; a full board is a draw; any
  // other end is the loss of the side to move.
  const std::optional<Side> winner = decided ? decided
                                     : position.IsFull()
                                         ? std::nullopt
                                         : std::optional(Opponent(SideToMove(position)));
  if (record.winner != winner) {
    return fail("the result \"" + std::string(values[kResult]) +
                "\" contradicts the moves, which give \"" + ResultText(winner) + "\"");
  }
  return record;
}

}  // namespace fiverow::match
