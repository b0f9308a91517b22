#include "protocol/Replies.h"

#include <array>
#include <utility>

#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::protocol {

namespace {

constexpr std::array<std::pair<std::string_view, ReplyKind>, 5> kKeywords{{
    {"OK", ReplyKind::Ok},
    {"MESSAGE", ReplyKind::Message},
    {"DEBUG", ReplyKind::Debug},
    {"ERROR", ReplyKind::Error},
    {"UNKNOWN", ReplyKind::Unknown},
}};

}  // namespace

Reply ParseReply(std::string_view line) {
  Reply reply;
  const FirstWord first = SplitFirstWord(line);
  for (const auto& [keyword, kind] : kKeywords) {
    if (!SameWord(first.word, keyword)) continue;
    reply.kind = kind;
    reply.text = first.rest;
    return reply;
  }
  if (const auto cell = ParseCellInLine(line)) {
    reply.kind = ReplyKind::Move;
    reply.move = *cell;
  }
  return reply;
}

}  // namespace fiverow::protocol
