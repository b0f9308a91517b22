// The openings of a match by index 0, 1, 2, ...: each opening is played by
// the games that share its index, with the engines' sides swapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "common/NameTable.h"
#include "game/Opening.h"

namespace fiverow::match {

enum class OpeningOrder : std::uint8_t { Sequential, Random };

inline constexpr tools::NameTable<OpeningOrder, 2> kOrderNames{{{
    {OpeningOrder::Sequential, "sequential"},
    {OpeningOrder::Random, "random"},
}}};

class OpeningSchedule {
 public:
  // Every index plays `opening` (none: the empty board).
  static OpeningSchedule Fixed(Opening opening);
  // Each index has a random opening of its own: two stones per side on
  // distinct cells of the central 6 x 6 square. Equal numbers of stones leave
  // x to move, and two stones a side make no threat, so neither side starts
  // ahead. The same seed gives the same openings on every platform.
  static OpeningSchedule Random(std::uint64_t seed, int boardSize);
  // The openings of a list (none: the empty board): index k plays entry
  // k mod n in sequential order; in random order each pass through the list
  // is a fresh shuffle by `seed`. With `symmetries` each index plays its
  // entry in one of the board's 8 symmetries, chosen by `seed` and the index.
  static OpeningSchedule FromList(std::vector<Opening> openings, OpeningOrder order,
                                  bool symmetries, std::uint64_t seed, int boardSize);

  // The opening of index `index`, the same however often and in whatever
  // order it is asked for. Not for several threads at once.
  Opening At(std::size_t index);

 private:
  OpeningSchedule() = default;
  Opening RandomOpening();
  std::size_t ListEntry(std::size_t index);

  std::optional<Opening> fixed_;
  std::vector<Opening> list_;
  OpeningOrder order_ = OpeningOrder::Sequential;
  bool symmetries_ = false;
  std::uint64_t seed_ = 0;
  int boardSize_ = 0;
  // The random openings made so far, by index, and the generator that makes
  // the next.
  std::vector<Opening> made_;
  std::mt19937_64 random_;
  // The shuffle of the list for the pass through it last asked for.
  std::optional<std::size_t> pass_;
  std::vector<std::size_t> shuffled_;
};

}  // namespace fiverow::match
