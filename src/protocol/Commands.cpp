#include "protocol/Commands.h"

#include <algorithm>

#include "protocol/Numbers.h"
#include "protocol/Text.h"

namespace fiverow::protocol {

Command ParseCommand(std::string_view line) {
  Command command;
  const FirstWord first = SplitFirstWord(line);
  if (first.word.empty()) return command;
  command.word = first.word;
  command.kind = CommandKind::Unknown;
  for (const CommandForm& form : kCommands) {
    if (!SameWord(command.word, form.name)) continue;
    command.kind = form.kind;
    const bool wellFormed =
        form.numbers < 0 ||
        (form.numbers == 0
             ? first.rest.empty()
             : ParseNumberList(first.rest, std::span(command.numbers.data(),
                                                     static_cast<std::size_t>(form.numbers))));
    if (!wellFormed) command.usage = form.usage;
    break;
  }
  return command;
}

std::string CommandLine(CommandKind kind, std::initializer_list<Int32> numbers) {
  const auto form = std::find_if(kCommands.begin(), kCommands.end(),
                                 [kind](const CommandForm& f) { return f.kind == kind; });
  std::string line(form == kCommands.end() ? std::string_view{} : form->name);
  char separator = ' ';
  for (const Int32 number : numbers) {
    line += separator;
    line += std::to_string(number);
    separator = ',';
  }
  return line;
}

std::string InfoLine(std::string_view key, std::string_view value) {
  return CommandLine(CommandKind::Info) + " " + std::string(key) + " " + std::string(value);
}

}  // namespace fiverow::protocol
