#include "match/OpeningSchedule.h"

#include <algorithm>

namespace fiverow::match {

OpeningSchedule OpeningSchedule::Fixed(Opening opening) {
  OpeningSchedule schedule;
  schedule.fixed_ = std::move(opening);
  return schedule;
}

OpeningSchedule OpeningSchedule::Random(std::uint64_t seed, int boardSize) {
  OpeningSchedule schedule;
  schedule.random_.seed(seed);
  schedule.boardSize_ = boardSize;
  return schedule;
}

Opening OpeningSchedule::At(std::size_t index) {
  if (fixed_) return *fixed_;
  while (made_.size() <= index) made_.push_back(RandomOpening());
  return made_[index];
}

Opening OpeningSchedule::RandomOpening() {
  constexpr std::uint64_t kSpan = 6;  // columns and rows 7..12 on 20 x 20
  constexpr std::size_t kStones = 4;
  const Int32 low = static_cast<Int32>(boardSize_ / 2) - 3;
  Opening opening;
  while (opening.size() < kStones) {
    // Plain modulo rather than a standard distribution, whose results differ
    // between library implementations.
    const Move cell{low + static_cast<Int32>(random_() % kSpan),
                    low + static_cast<Int32>(random_() % kSpan)};
    if (std::find(opening.begin(), opening.end(), cell) == opening.end()) opening.push_back(cell);
  }
  return opening;
}

}  // namespace fiverow::match
