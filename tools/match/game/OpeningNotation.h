// The notations of openings files, one opening a line, x's stone first:
//   offset  "8,-3, 6,-4, 5,-4": each dx,dy from the centre (size/2, size/2),
//           moves separated by a comma and a blank
//   pos     "d3e5f6d7": a column letter (a is 0) and a row number from 1 at
//           the top, moves written together
//   xy      "9,9 10,10": x,y as --opening takes them, separated by blanks
// and the board's eight symmetries, under which openings are played alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/NameTable.h"
#include "game/Opening.h"

namespace fiverow::match {

enum class OpeningFormat : std::uint8_t { Offset, Pos, Xy };

inline constexpr tools::NameTable<OpeningFormat, 3> kFormatNames{{{
    {OpeningFormat::Offset, "offset"},
    {OpeningFormat::Pos, "pos"},
    {OpeningFormat::Xy, "xy"},
}}};

// "offset", "pos", "xy".
std::string_view OpeningFormatName(OpeningFormat format);
std::optional<OpeningFormat> OpeningFormatNamed(std::string_view name);

// One line in `format` on a board of `size`, blanks around it allowed. Fails
// with a message on a malformed move, a cell off the board or given twice,
// or a line that already wins by `rule`.
std::optional<Opening> ParseOpeningLine(std::string_view line, OpeningFormat format, int size,
                                        Rule rule, std::string& error);

// The rotations and reflections of a square board.
inline constexpr int kSymmetries = 8;

// `opening` under `symmetry` (0..7) of a board of `size`: 0 to 3 quarter
// turns, then the same after a mirror image from left to right (4 to 7).
Opening Symmetric(const Opening& opening, int symmetry, int size);

}  // namespace fiverow::match
