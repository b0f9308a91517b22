// Openings: stones placed alternately, x first, before the players move.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/UTypes.h"
#include "game/Position.h"

namespace fiverow::match {

using Opening = std::vector<Move>;

// "x,y x,y ..." separated by blanks, on a board of `size`. Fails with a
// message on a malformed cell or one off the board, a cell given twice, or
// a five already on the board.
std::optional<Opening> ParseOpening(std::string_view text, int size, std::string& error);

// Whether `opening` can start a game on a board of `size`: each cell on the
// board and empty, and no five in a row; else a message.
bool CheckOpening(const Opening& opening, int size, std::string& error);

std::string OpeningText(const Opening& opening);

// The board of `size` with the opening's stones, x first.
Position StartPosition(const Opening& opening, int size);

}  // namespace fiverow::match
