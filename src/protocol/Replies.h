// What an engine sends back: a move, OK, or a line of its own kind.
#pragma once

#include <optional>
#include <string_view>

#include "core/UTypes.h"

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

// The value of `key` in an answer to ABOUT, e.g. name in
// `name="fiverow", version="1.0.0"`; nothing when it is not there.
std::optional<std::string_view> AboutValue(std::string_view about, std::string_view key);

// Whether the engine sends such lines besides its answers, at any time.
constexpr bool IsRemark(ReplyKind kind) {
  return kind == ReplyKind::Message || kind == ReplyKind::Debug;
}

}  // namespace fiverow::protocol
