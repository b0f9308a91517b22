// Cells written as "x,y", the way Tah.dat holds a move.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/UTypes.h"

namespace fiverow::tools {

// "x,y" with x and y decimal numbers of one or two digits in 0..19; nothing
// else, not even spaces.
std::optional<Move> ParseCell(std::string_view text);

std::string CellText(Move cell);

}  // namespace fiverow::tools
