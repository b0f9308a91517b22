// An openings file (--openings), read whole before the first game.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "game/OpeningNotation.h"

namespace fiverow::match {

// At most this much of an openings file is read: a line is a few dozen bytes.
inline constexpr std::size_t kOpeningsLimit = 4 * 1024 * 1024;

// The openings of `file`, one a line in `format` on a board of `size` by
// `rule`;
// blank lines and lines starting with "#" are skipped. Throws RefereeError
// when the file cannot be read, is not a regular file or is over
// kOpeningsLimit; UsageError naming the file and line of the first line that
// is not an opening, or when no line holds one.
std::vector<Opening> ReadOpeningsFile(const std::string& file, OpeningFormat format, int size,
                                      Rule rule);

}  // namespace fiverow::match
