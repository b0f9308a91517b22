// The commands a manager sends an engine, one a line, in one table that the
// engine side parses and the manager side writes.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/UTypes.h"

namespace fiverow::protocol {

enum class CommandKind : unsigned char {
  Blank,  // nothing but blanks: no reply
  Start,
  RectStart,
  Restart,
  Begin,
  Turn,
  Play,
  Takeback,
  Board,
  Done,
  Info,
  End,
  About,
  Swap2Board,
  Unknown,
};

struct CommandForm {
  std::string_view name;  // upper case
  CommandKind kind;
  int numbers;  // how many comma-separated numbers it takes; -1: any text, never checked
  std::string_view usage;
};

inline constexpr std::array<CommandForm, 13> kCommands{{
    {"START", CommandKind::Start, 1, "START N"},
    {"RECTSTART", CommandKind::RectStart, 2, "RECTSTART W,H"},
    {"RESTART", CommandKind::Restart, 0, "RESTART"},
    {"BEGIN", CommandKind::Begin, 0, "BEGIN"},
    {"TURN", CommandKind::Turn, 2, "TURN X,Y"},
    {"PLAY", CommandKind::Play, 2, "PLAY X,Y"},
    {"TAKEBACK", CommandKind::Takeback, 2, "TAKEBACK X,Y"},
    {"BOARD", CommandKind::Board, 0, "BOARD"},
    {"DONE", CommandKind::Done, 0, "DONE"},
    {"INFO", CommandKind::Info, -1, "INFO KEY VALUE"},
    {"END", CommandKind::End, 0, "END"},
    {"ABOUT", CommandKind::About, 0, "ABOUT"},
    {"SWAP2BOARD", CommandKind::Swap2Board, -1, "SWAP2BOARD"},
}};

struct Command {
  CommandKind kind = CommandKind::Blank;
  // START: the size; RECTSTART: width, height; TURN, PLAY, TAKEBACK: x, y.
  std::array<Int32, 2> numbers{};
  // Set when the arguments are malformed: what was expected, e.g. "TURN X,Y".
  std::string_view usage;
  // The command word as written, for an UNKNOWN reply.
  std::string_view word;
};

// Parses one line. Command words are matched in any case; blanks around the
// word and around each number are allowed.
Command ParseCommand(std::string_view line);

// The line (without its line end) that sends `kind` with its numbers, e.g.
// "START 20", "TURN 3,4", "BEGIN".
std::string CommandLine(CommandKind kind, std::initializer_list<Int32> numbers = {});
// "INFO key value".
std::string InfoLine(std::string_view key, std::string_view value);

}  // namespace fiverow::protocol
