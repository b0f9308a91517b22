// Openings: stones placed alternately, x first, before the players move.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/UTypes.h"
#include "game/Position.h"
#include "game/Rules.h"

namespace fiverow::match {

using Opening = std::vector<Move>;

// "x,y x,y ..." separated by blanks, on a board of `size`. Fails with a
// message on a malformed cell or one off the board, a cell given twice, or
// a line that already wins by `rule`.
std::optional<Opening> ParseOpening(std::string_view text, int size, Rule rule, std::string& error);

// Whether `opening` can start a game on a board of `size` by `rule`: each
// cell on the board and empty, and no line that already wins; else a message.
bool CheckOpening(const Opening& opening, int size, Rule rule, std::string& error);

std::string OpeningText(const Opening& opening);

// The board of `size` with the opening's stones, x first.
Position StartPosition(const Opening& opening, int size);

}  // namespace fiverow::match
