// A small file the referee reads whole: an openings file, a game record.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fiverow::match {

// The bytes of `file`, a regular file of at most `limit` bytes (a whole
// number of MiB). Throws RefereeError when it cannot be read, is not a
// regular file, or is larger: "... too large for `kind`".
std::string ReadInputFile(const std::string& file, std::size_t limit, std::string_view kind);

}  // namespace fiverow::match
