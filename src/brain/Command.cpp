#include "brain/Command.h"

namespace fiverow::brain {

namespace {

struct CommandForm {
  std::string_view name;  // upper case
  CommandKind kind;
  int numbers;  // how many numbers it takes; -1: any text, never checked
  std::string_view usage;
};

constexpr std::array<CommandForm, 13> kCommands{{
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

char UpperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameWord(std::string_view written, std::string_view upper) {
  if (written.size() != upper.size()) return false;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    if (UpperCase(written[i]) != upper[i]) return false;
  }
  return true;
}

bool ParseNumber(std::string_view text, Int32& out) {
  text = TrimSpaces(text);
  if (text.empty() || text.size() > 6) return false;
  Int32 value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  out = value;
  return true;
}

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseNumbers(std::string_view text, Int32* out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t comma = i + 1 < count ? text.find(',') : std::string_view::npos;
    if (i + 1 < count && comma == std::string_view::npos) return false;
    if (!ParseNumber(text.substr(0, comma), out[i])) return false;
    text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
  }
  return true;
}

Command ParseCommand(std::string_view line) {
  line = TrimSpaces(line);
  Command command;
  if (line.empty()) return command;
  const std::size_t space = line.find_first_of(" \t");
  command.word = line.substr(0, space);
  const std::string_view arguments =
      space == std::string_view::npos ? std::string_view{} : TrimSpaces(line.substr(space));
  command.kind = CommandKind::Unknown;
  for (const CommandForm& form : kCommands) {
    if (!SameWord(command.word, form.name)) continue;
    command.kind = form.kind;
    const bool wellFormed =
        form.numbers < 0 ||
        (form.numbers == 0 ? arguments.empty()
                           : ParseNumbers(arguments, command.numbers.data(),
                                          static_cast<std::size_t>(form.numbers)));
    if (!wellFormed) command.usage = form.usage;
    break;
  }
  return command;
}

}  // namespace fiverow::brain
