// Whether output to a stream may carry terminal colours.
#pragma once

namespace fiverow::tools {

// True when `fd` is a terminal and NO_COLOR is unset (or empty, as the
// NO_COLOR convention asks).
bool ColourWanted(int fd);

}  // namespace fiverow::tools
