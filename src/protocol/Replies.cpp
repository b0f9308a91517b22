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

std::optional<std::string_view> AboutValue(std::string_view about, std::string_view key) {
  // Pairs key="value" separated by commas; a value holds no quote.
  std::size_t at = 0;
  while (at < about.size()) {
    const std::size_t equals = about.find('=', at);
    if (equals == std::string_view::npos) break;
    const std::string_view name = TrimmedBlanks(about.substr(at, equals - at));
    if (equals + 1 >= about.size() || about[equals + 1] != '"') break;
    const std::size_t close = about.find('"', equals + 2);
    if (close == std::string_view::npos) break;
    if (SameWord(name, key)) return about.substr(equals + 2, close - equals - 2);
    at = about.find(',', close);
    if (at == std::string_view::npos) break;
    ++at;
  }
  return std::nullopt;
}

}  // namespace fiverow::protocol
