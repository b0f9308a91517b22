#include "process/InputFile.h"

#include <fcntl.h>

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "process/RefereeError.h"

namespace fiverow::match {

std::string ReadInputFile(const std::string& file, std::size_t limit, std::string_view kind) {
  tools::FileRead read = tools::ReadRegularFile(tools::kWorkingFolder, file.c_str(), limit, true);
  const std::string shownFile = tools::ShownText(file);
  if (read.error != 0) throw RefereeError(SystemErrorText("cannot read " + shownFile, read.error));
  if (read.notRegular) throw RefereeError(shownFile + " is not a regular file");
  if (read.cut) {
    throw RefereeError(shownFile + " is over " + std::to_string(limit >> 20) +
                       " MiB, too large for " + std::string(kind));
  }
  return std::move(read.bytes);
}

}  // namespace fiverow::match
