// Tah.dat: read for the side to play, then rewritten with the chosen move.
#pragma once

#include <array>
#include <string_view>

#include "state/RunState.h"

namespace fiverow {

// The side a turn-file character selects: 'o' gives code 1, anything else 2.
// (The mapping is not the position file's.)
constexpr CellCode OwnCodeOf(char c) { return c == 'o' ? kCodeOther : kCodeO; }

// Sets ownCode from the first character of Tah.dat's first line.
void ReadTurn(RunState& state);

// The move as the file holds it: "x,y", no line end. 3 to 5 bytes.
struct MoveText {
  std::array<char, 8> bytes{};
  std::size_t size = 0;
  std::string_view view() const { return {bytes.data(), size}; }
};
MoveText FormatMove(Move move);

// Truncates Tah.dat and writes the move into it.
void WriteMove(RunState& state, Move move);

}  // namespace fiverow
