// What an engine sends back: a move, OK, or a line of its own kind.
#pragma once

#include <string_view>

#include "engine/UTypes.h"

namespace fiverow::protocol {

enum class ReplyKind : unsigned char {
  Move,     // "X,Y", blanks allowed around the numbers
  Ok,       // "OK" (to START, RESTART)
  Message,  // "MESSAGE text": for people
  Debug,    // "DEBUG text": for the engine's author
  Error,    // "ERROR text": it cannot do what it was asked
  Unknown,  // "UNKNOWN text": it does not know the command
  Other,    // anything else
};

struct Reply {
  ReplyKind kind = ReplyKind::Other;
  std::string_view text;  // after the keyword, without blanks around it
  Move move{};            // for a Move
};

// Keywords are matched in any case.
Reply ParseReply(std::string_view line);

// Whether the engine sends such lines besides its answers, at any time.
constexpr bool IsRemark(ReplyKind kind) {
  return kind == ReplyKind::Message || kind == ReplyKind::Debug;
}

}  // namespace fiverow::protocol
