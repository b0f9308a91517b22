// Numbers and cells as the protocols write them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/UTypes.h"

namespace fiverow::protocol {

// The most digits a coordinate has where cells are written exactly "x,y":
// Tah.dat, game records, openings, boards of up to 99 cells a side.
inline constexpr std::size_t kCellDigits = 2;
// The most digits of a number in a protocol line (a command's argument, an
// engine's reply, a person's move), blanks allowed around it. More is
// malformed rather than a large number, so no value can overflow.
inline constexpr std::size_t kLineNumberDigits = 6;

// A decimal number of 1 to `maxDigits` digits and nothing else.
std::optional<Int32> ParseNumber(std::string_view digits, std::size_t maxDigits);

// Exactly `out.size()` numbers separated by commas, each of at most
// kLineNumberDigits digits with blanks allowed around it; false for anything
// else.
bool ParseNumberList(std::string_view text, std::span<Int32> out);

// "x,y" exactly, each of at most kCellDigits digits, no blanks; whether the
// cell is on a board is for the caller to judge.
std::optional<Move> ParseCell(std::string_view text);

// "x,y" in a protocol line: blanks allowed around the numbers.
std::optional<Move> ParseCellInLine(std::string_view text);

std::string CellText(Move cell);

}  // namespace fiverow::protocol
