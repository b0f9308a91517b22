#include "output/OutputFile.h"

#include <cerrno>

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "process/RefereeError.h"

namespace fiverow::match {

tools::UniqueFd OpenOutputFile(const std::string& path, bool append, const std::string& what) {
  const std::string named = what + " " + tools::ShownText(path);
  int error = 0;
  tools::UniqueFd file = tools::OpenForWriting(path, append, error);
  if (error == ENXIO) throw RefereeError("cannot write " + named + ": a FIFO that nothing reads");
  if (!file) throw RefereeError(SystemErrorText("cannot write " + named, error));
  return file;
}

std::FILE* OpenOutputStream(const std::string& path, const std::string& what) {
  tools::UniqueFd file = OpenOutputFile(path, false, what);
  std::FILE* stream = ::fdopen(file.get(), "w");
  if (stream == nullptr)
    throw RefereeError(
        SystemErrorText("cannot write " + what + " " + tools::ShownText(path), errno));
  (void)file.Release();
  return stream;
}

}  // namespace fiverow::match
