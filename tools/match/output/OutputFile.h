// Opening the files a match writes (--log, --events, --sgf): a FIFO that
// nothing reads is refused at once rather than waited for.
#pragma once

#include <cstdio>
#include <string>

#include "common/UniqueFd.h"

namespace fiverow::match {

// Opens `path` to write, creating it if needed, emptied unless `append`.
// `what` names the file in the message, e.g. "the log". Throws RefereeError
// with the reason when it cannot be opened.
tools::UniqueFd OpenOutputFile(const std::string& path, bool append, const std::string& what);

// The same, emptied, as a stream that the caller closes.
std::FILE* OpenOutputStream(const std::string& path, const std::string& what);

}  // namespace fiverow::match
