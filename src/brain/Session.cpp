#include "brain/Session.h"

#include <algorithm>

#include "engine/Driver.h"
#include "protocol/Numbers.h"
#include "runtime/Failure.h"

namespace fiverow::brain {

using protocol::CellText;
using protocol::CommandKind;

namespace {

constexpr std::string_view kAbout =
    "name=\"fiverow\", version=\"" FIVEROW_VERSION "\", author=\"fiverow developers\"";
constexpr std::string_view kNoGame = "no game: send START 20 first";

std::string Error(std::string_view reason) { return "ERROR " + std::string(reason); }

// The command word as the reply shows it: printable ASCII, at most 32 bytes.
std::string Printable(std::string_view word) {
  std::string text;
  for (const char c : word.substr(0, 32)) text += c >= ' ' && c <= '~' ? c : '?';
  if (word.size() > 32) text += "...";
  return text;
}

}  // namespace

const std::array<Session::Handling, protocol::kCommands.size()> Session::kHandlings{{
    {CommandKind::Start, false, false, &Session::Start},
    {CommandKind::RectStart, false, false, &Session::Start},
    {CommandKind::Restart, true, false, &Session::Restart},
    {CommandKind::Begin, true, false, &Session::Begin},
    {CommandKind::Turn, true, false, &Session::Turn},
    {CommandKind::Play, true, false, &Session::Play},
    {CommandKind::Takeback, true, false, &Session::Takeback},
    {CommandKind::Board, true, false, &Session::Board},
    {CommandKind::Done, false, false, &Session::DoneWithoutBoard},
    {CommandKind::Info, false, true, &Session::Ignore},
    {CommandKind::End, false, true, &Session::End},
    {CommandKind::About, false, false, &Session::About},
    {CommandKind::Swap2Board, false, false, &Session::Swap2Board},
}};

Session::Session() : state_(std::make_unique<RunState>()) {}
Session::~Session() = default;

Session::Step Session::Handle(std::string_view line, bool cut) {
  return block_ == Block::None ? HandleCommand(line, cut) : HandleBlockLine(line, cut);
}

Session::Step Session::HandleCommand(std::string_view line, bool cut) {
  const Command command = protocol::ParseCommand(line);
  if (command.kind == CommandKind::Blank) return {};
  const auto handling = std::find_if(kHandlings.begin(), kHandlings.end(),
                                     [&](const Handling& h) { return h.kind == command.kind; });
  const bool known = handling != kHandlings.end();
  if (known && handling->anyLine) return (this->*handling->handle)(command);
  if (cut) return {.reply = Error("line too long")};
  if (!known) return {.reply = "UNKNOWN command not recognised: " + Printable(command.word)};
  if (!command.usage.empty()) {
    return {.reply = Error("malformed command, expected " + std::string(command.usage))};
  }
  if (handling->needsGame && !started_) {
    return {.reply = command.kind == CommandKind::Board ? RefuseBlock(kNoGame) : Error(kNoGame)};
  }
  return (this->*handling->handle)(command);
}

Session::Step Session::Start(const Command& command) {
  const auto [width, height] = command.numbers;
  board_.Clear();
  started_ = width == kPlaySize && (command.kind == CommandKind::Start || height == kPlaySize);
  return {.reply = started_ ? "OK" : Error("fiverow plays only on a 20x20 board")};
}

Session::Step Session::Restart(const Command&) {
  board_.Clear();
  return {.reply = "OK"};
}

Session::Step Session::Begin(const Command&) { return {.reply = MoveReply()}; }

Session::Step Session::Turn(const Command& command) {
  std::string error = PlaceStone(command, kOpponentCode);
  return {.reply = error.empty() ? MoveReply() : error};
}

Session::Step Session::Play(const Command& command) {
  std::string error = PlaceStone(command, kBrainCode);
  const auto [x, y] = command.numbers;
  return {.reply = error.empty() ? CellText({x, y}) : error};
}

Session::Step Session::Takeback(const Command& command) {
  const auto [x, y] = command.numbers;
  if (!BrainBoard::OnBoard(x, y)) return {.reply = Error("coordinates outside 0..19")};
  if (!board_.Remove(x, y)) return {.reply = Error("cell " + CellText({x, y}) + " is empty")};
  return {.reply = "OK"};
}

Session::Step Session::Board(const Command&) {
  pending_.Clear();
  block_ = Block::Reading;
  return {};
}

Session::Step Session::DoneWithoutBoard(const Command&) {
  return {.reply = Error("DONE without BOARD")};
}

Session::Step Session::Ignore(const Command&) { return {}; }

Session::Step Session::End(const Command&) { return {.end = true, .reply = {}}; }

Session::Step Session::About(const Command&) { return {.reply = std::string(kAbout)}; }

Session::Step Session::Swap2Board(const Command&) {
  return {.reply = RefuseBlock("SWAP2BOARD refused: fiverow has no opening book")};
}

Session::Step Session::HandleBlockLine(std::string_view line, bool cut) {
  const Command command = protocol::ParseCommand(line);
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
  if (cut || !protocol::ParseNumberList(line, stone)) {
    return {.reply = RefuseBlock("malformed BOARD line, expected X,Y,F")};
  }
  const auto [x, y, field] = stone;
  if (!BrainBoard::OnBoard(x, y)) return {.reply = RefuseBlock("coordinates outside 0..19")};
  if (field == 3) {
    return {.reply = RefuseBlock("stones of continuous games (F 3) are not supported")};
  }
  if (field != 1 && field != 2) return {.reply = RefuseBlock("F must be 1 (own) or 2 (opponent)")};
  if (!pending_.Place(x, y, field == 1 ? kBrainCode : kOpponentCode)) {
    return {.reply = RefuseBlock("BOARD repeats cell " + CellText({x, y}))};
  }
  return {};
}

std::string Session::PlaceStone(const Command& command, CellCode code) {
  const auto [x, y] = command.numbers;
  if (!BrainBoard::OnBoard(x, y)) return Error("coordinates outside 0..19");
  if (!board_.Place(x, y, code)) return Error("cell " + CellText({x, y}) + " is occupied");
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
  return CellText(move);
}

}  // namespace fiverow::brain
