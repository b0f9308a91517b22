#include "brain/Session.h"

#include "engine/Driver.h"
#include "runtime/Failure.h"

namespace fiverow::brain {

namespace {

constexpr std::string_view kAbout =
    "name=\"fiverow\", version=\"" FIVEROW_VERSION "\", author=\"fiverow developers\"";
constexpr std::string_view kNoGame = "no game: send START 20 first";

std::string Error(std::string_view reason) { return "ERROR " + std::string(reason); }

std::string CellText(Int32 x, Int32 y) { return std::string(FormatMove({x, y}).view()); }

// The command word as the reply shows it: printable ASCII, at most 32 bytes.
std::string Printable(std::string_view word) {
  std::string text;
  for (const char c : word.substr(0, 32)) text += c >= ' ' && c <= '~' ? c : '?';
  if (word.size() > 32) text += "...";
  return text;
}

}  // namespace

Session::Session() : state_(std::make_unique<RunState>()) {}
Session::~Session() = default;

Session::Step Session::Handle(std::string_view line, bool cut) {
  return block_ == Block::None ? HandleCommand(line, cut) : HandleBlockLine(line, cut);
}

Session::Step Session::HandleCommand(std::string_view line, bool cut) {
  const Command command = ParseCommand(line);
  switch (command.kind) {
    case CommandKind::Blank:
    case CommandKind::Info: return {};
    case CommandKind::End: return {.end = true, .reply = {}};
    default: break;
  }
  if (cut) return {.reply = Error("line too long")};
  if (command.kind == CommandKind::Unknown) {
    return {.reply = "UNKNOWN command not recognised: " + Printable(command.word)};
  }
  if (!command.usage.empty()) {
    return {.reply = Error("malformed command, expected " + std::string(command.usage))};
  }
  const auto [a, b] = command.numbers;
  switch (command.kind) {
    case CommandKind::About: return {.reply = std::string(kAbout)};
    case CommandKind::Swap2Board:
      return {.reply = RefuseBlock("SWAP2BOARD refused: fiverow has no opening book")};
    case CommandKind::Start:
    case CommandKind::RectStart:
      board_.Clear();
      started_ = a == kPlaySize && (command.kind == CommandKind::Start || b == kPlaySize);
      return {.reply = started_ ? "OK" : Error("fiverow plays only on a 20x20 board")};
    case CommandKind::Done: return {.reply = Error("DONE without BOARD")};
    default: break;
  }
  if (!started_) {
    return {.reply = command.kind == CommandKind::Board ? RefuseBlock(kNoGame) : Error(kNoGame)};
  }
  switch (command.kind) {
    case CommandKind::Restart: board_.Clear(); return {.reply = "OK"};
    case CommandKind::Begin: return {.reply = MoveReply()};
    case CommandKind::Turn: {
      std::string error = PlaceStone(command, kOpponentCode);
      return {.reply = error.empty() ? MoveReply() : error};
    }
    case CommandKind::Play: {
      std::string error = PlaceStone(command, kBrainCode);
      return {.reply = error.empty() ? CellText(a, b) : error};
    }
    case CommandKind::Takeback:
      if (!BrainBoard::OnBoard(a, b)) return {.reply = Error("coordinates outside 0..19")};
      if (!board_.Remove(a, b)) return {.reply = Error("cell " + CellText(a, b) + " is empty")};
      return {.reply = "OK"};
    case CommandKind::Board:
      pending_.Clear();
      block_ = Block::Reading;
      return {};
    default: return {.reply = Error("command not handled")};
  }
}

Session::Step Session::HandleBlockLine(std::string_view line, bool cut) {
  const Command command = ParseCommand(line);
  if (command.kind == CommandKind::Blank) return {};
  if (command.kind == CommandKind::End) return {.end = true, .reply = {}};
  if (command.kind == CommandKind::Done && command.usage.empty()) {
    const bool accepted = block_ == Block::Reading;
    block_ = Block::None;
    if (!accepted) return {};
    board_ = pending_;
    return {.reply = MoveReply()};
  }
  if (block_ == Block::Skipping) return {};
  Int32 stone[3] = {};
  if (cut || !ParseNumbers(TrimSpaces(line), stone, 3)) {
    return {.reply = RefuseBlock("malformed BOARD line, expected X,Y,F")};
  }
  const auto [x, y, field] = stone;
  if (!BrainBoard::OnBoard(x, y)) return {.reply = RefuseBlock("coordinates outside 0..19")};
  if (field == 3) {
    return {.reply = RefuseBlock("stones of continuous games (F 3) are not supported")};
  }
  if (field != 1 && field != 2) return {.reply = RefuseBlock("F must be 1 (own) or 2 (opponent)")};
  if (!pending_.Place(x, y, field == 1 ? kBrainCode : kOpponentCode)) {
    return {.reply = RefuseBlock("BOARD repeats cell " + CellText(x, y))};
  }
  return {};
}

std::string Session::PlaceStone(const Command& command, CellCode code) {
  const auto [x, y] = command.numbers;
  if (!BrainBoard::OnBoard(x, y)) return Error("coordinates outside 0..19");
  if (!board_.Place(x, y, code)) return Error("cell " + CellText(x, y) + " is occupied");
  return {};
}

std::string Session::RefuseBlock(std::string_view reason) {
  // The block's one reply goes out now; its remaining lines, up to DONE, are
  // skipped, so the next reply answers the next command. The position stays.
  block_ = Block::Skipping;
  return Error(reason);
}

std::string Session::MoveReply() {
  board_.LoadInto(*state_);
  Move move;
  try {
    move = ChooseMove(*state_);
  } catch (const RunFailure& failure) {
    char message[64];
    FormatMessage(failure, message, sizeof message);
    return Error(std::string(KindName(failure.kind)) + ": " + message);
  }
  if (!board_.Place(move.x, move.y, kBrainCode)) return Error("the chosen cell is taken");
  return CellText(move.x, move.y);
}

}  // namespace fiverow::brain
