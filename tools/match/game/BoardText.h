// The board as text for a terminal: column and row numbers, "x" and "o" for
// the stones, "." for empty cells, and the last move in brackets. With colour
// the two sides differ in colour and the last move is highlighted too.
#pragma once

#include <optional>
#include <string>

#include "game/Position.h"

namespace fiverow::match {

std::string RenderBoard(const Position& position, std::optional<Move> lastMove, bool colour);

}  // namespace fiverow::match
