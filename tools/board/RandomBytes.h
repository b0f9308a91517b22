// Random bytes from the system, for the page's token.
#pragma once

#include <cstddef>

namespace fiverow::board {

// Throws RefereeError when the system has none to give.
void FillRandom(char* to, std::size_t size);

}  // namespace fiverow::board
