// The line string: the last line read, without its line end and its CRs.
//
// Only the first 20 characters can ever be looked at, so only those are kept;
// the length still counts every character, so index checks against it behave
// exactly as if the whole line were held. Memory stays fixed however long the
// line is.
#pragma once

#include <array>
#include <cstdint>
#include "runtime/SourceSite.h"

#include "core/UTypes.h"
#include "runtime/Checked.h"

namespace fiverow {

struct Line {
  static constexpr std::int64_t kKept = kPlaySize;

  std::array<char, kKept> kept{};
  std::int64_t length = 0;

  constexpr void Clear() { length = 0; }

  constexpr void Append(char c) {
    if (length < kKept) kept[static_cast<std::size_t>(length)] = c;
    ++length;
  }

  // Counts `count` more characters without keeping them; only for a line
  // that already holds all it keeps.
  constexpr void CountUnkept(std::int64_t count) { length += count; }

  // The character at 1-based `position` (at most 20), index-checked against the
  // line's length.
  constexpr char At(std::int64_t position, const SourceSite& where = SourceSite::current()) const {
    CheckCharIndex(position, length, where);
    return kept[static_cast<std::size_t>(position - 1)];
  }
};

}  // namespace fiverow
