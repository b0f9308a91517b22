// A game from a file of either kind the referee writes, told apart by its
// content: a game record (Record.h) or SGF (Sgf.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "output/Record.h"

namespace fiverow::match {

// A game record is a few KiB; an SGF file holds a whole match.
inline constexpr std::size_t kRecordLimit = 1024 * 1024;
inline constexpr std::size_t kSgfLimit = 64 * 1024 * 1024;

// The `game`-th game of `text` (from 1; a game record holds one); fails with
// a message, also for a game record over kRecordLimit.
std::optional<GameRecord> ParseGameFile(std::string_view text, int game, std::string& error);

}  // namespace fiverow::match
