#include "cli/OpeningsFile.h"

#include <fcntl.h>

#include "cli/OptionValues.h"
#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "process/RefereeError.h"
#include "protocol/Text.h"

namespace fiverow::match {

std::vector<Opening> ReadOpeningsFile(const std::string& file, OpeningFormat format, int size) {
  const tools::FileRead read = tools::ReadRegularFile(AT_FDCWD, file.c_str(), kOpeningsLimit, true);
  const std::string shownFile = tools::ShownText(file);
  if (read.error != 0) throw RefereeError(SystemErrorText("cannot read " + shownFile, read.error));
  if (read.notRegular) throw RefereeError(shownFile + " is not a regular file");
  if (read.cut) {
    throw RefereeError(shownFile + " is over " + std::to_string(kOpeningsLimit >> 20) +
                       " MiB, too large for an openings file");
  }
  std::string_view text = read.bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte order mark
  std::vector<Opening> openings;
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = protocol::TrimmedBlanks(line);
    if (line.empty() || line.starts_with('#')) continue;
    std::string error;
    std::optional<Opening> opening = ParseOpeningLine(line, format, size, error);
    if (!opening) throw UsageError(shownFile + ":" + std::to_string(number) + ": " + error);
    openings.push_back(std::move(*opening));
  }
  if (openings.empty()) throw UsageError(shownFile + " holds no openings");
  return openings;
}

}  // namespace fiverow::match
