#include "output/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/EscapedText.h"
#include "process/RefereeError.h"

namespace fiverow::match {

tools::UniqueFd OpenOutputFile(const std::string& path, int flags, const std::string& what) {
  const std::string named = what + " " + tools::ShownText(path);
  // Without O_NONBLOCK a FIFO with no reader would hold the match up here;
  // with it, such a FIFO fails with ENXIO.
  tools::UniqueFd file(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | flags, 0666));
  const int error = errno;
  struct stat info {};
  if (!file && error == ENXIO && ::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode))
    throw RefereeError("cannot write " + named + ": a FIFO that nothing reads");
  if (!file || ::fcntl(file.get(), F_SETFL, flags & O_APPEND) != 0)
    throw RefereeError(SystemErrorText("cannot write " + named, file ? errno : error));
  return file;
}

std::FILE* OpenOutputStream(const std::string& path, const std::string& what) {
  tools::UniqueFd file = OpenOutputFile(path, O_TRUNC, what);
  std::FILE* stream = ::fdopen(file.get(), "w");
  if (stream == nullptr)
    throw RefereeError(
        SystemErrorText("cannot write " + what + " " + tools::ShownText(path), errno));
  (void)file.Release();
  return stream;
}

}  // namespace fiverow::match
