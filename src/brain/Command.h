// The manager's commands, parsed from one line each.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "engine/UTypes.h"

namespace fiverow::brain {

enum class CommandKind : unsigned char {
  Blank,  // nothing but spaces: no reply
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

struct Command {
  CommandKind kind = CommandKind::Blank;
  // START: the size; RECTSTART: width, height; TURN, PLAY, TAKEBACK: x, y.
  std::array<Int32, 2> numbers{};
  // Set when the arguments are malformed: what was expected, e.g. "TURN X,Y".
  std::string_view usage;
  // The command word as written, for an UNKNOWN reply.
  std::string_view word;
};

// Parses one line. Command words are matched in any case; spaces around the
// word and around each number are allowed.
Command ParseCommand(std::string_view line);

// Parses exactly `count` comma-separated decimal numbers (at most 6 digits
// each) into `out`; false if the text is anything else.
bool ParseNumbers(std::string_view text, Int32* out, std::size_t count);

// The text without leading and trailing spaces and tabs.
std::string_view TrimSpaces(std::string_view text);

}  // namespace fiverow::brain
