// Small files read whole, such as those /proc and cgroups show.
#pragma once

#include <cstddef>
#include <string>

namespace fiverow::match {

inline constexpr std::size_t kSmallFileLimit = 1 << 20;

// At most the first `limit` bytes of the file `path`, looked up from the
// folder `dir` (AT_FDCWD: the working folder); empty when it cannot be read.
std::string ReadSmallFile(int dir, const std::string& path, std::size_t limit = kSmallFileLimit);

}  // namespace fiverow::match
