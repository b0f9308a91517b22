#include "cli/OpeningsFile.h"

#include "cli/OptionValues.h"
#include "common/EscapedText.h"
#include "process/InputFile.h"
#include "protocol/Text.h"

namespace fiverow::match {

std::vector<Opening> ReadOpeningsFile(const std::string& file, OpeningFormat format, int size,
                                      Rule rule) {
  const std::string bytes = ReadInputFile(file, kOpeningsLimit, "an openings file");
  const std::string shownFile = tools::ShownText(file);
  std::string_view text = bytes;
  protocol::SkipByteOrderMark(text);
  std::vector<Opening> openings;
  std::size_t number = 0;
  while (const std::optional<std::string_view> next = protocol::TakeLine(text)) {
    ++number;
    const std::string_view line = protocol::TrimmedBlanks(*next);
    if (line.empty() || line.starts_with('#')) continue;
    std::string error;
    std::optional<Opening> opening = ParseOpeningLine(line, format, size, rule, error);
    if (!opening) throw UsageError(shownFile + ":" + std::to_string(number) + ": " + error);
    openings.push_back(std::move(*opening));
  }
  if (openings.empty()) throw UsageError(shownFile + " holds no openings");
  return openings;
}

}  // namespace fiverow::match
