// A finished game to step through (--replay FILE): read from a record of
// fiverow-match (output/Record.h). An SGF file would be read here too, by
// its own reader, into the same JSON.
#pragma once

#include <string>

namespace fiverow::board {

// The game of `file` as the page takes it:
//   {"x":{"command":"...","protocol":"file"},"o":{...},"rule":"freestyle","size":20,
//    "opening":[[9,9],...],"moves":[[10,9],...],"winner":"x","reason":"...",
//    "notes":[{"before":3,"side":"o","kind":"MESSAGE","text":"..."}]}
// with what came from the file escaped. Throws RefereeError when the file
// cannot be read or is malformed.
std::string ShownGameJson(const std::string& file);

}  // namespace fiverow::board
