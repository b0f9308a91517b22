// Whether output to a stream may carry terminal colours, and the console's
// text encoding.
#pragma once

namespace fiverow::tools {

inline constexpr int kStandardOutput = 1;
inline constexpr int kStandardError = 2;

bool IsTerminal(int fd);

// True when `fd` is a terminal and NO_COLOR is unset (or empty, as the
// NO_COLOR convention asks). On Windows the console is also switched to
// reading colour sequences.
bool ColourWanted(int fd);

// Makes the console, if any, show and read text as UTF-8 (Windows; a POSIX
// terminal already takes the bytes as they are).
void UseUtf8Console();

}  // namespace fiverow::tools
