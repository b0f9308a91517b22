#include "match/OpeningSchedule.h"

#include <algorithm>
#include <numeric>

#include "game/OpeningNotation.h"

namespace fiverow::match {

namespace {

// Separate streams for the shuffles and the symmetries of one seed.
constexpr std::uint64_t kShuffleStream = 1;
constexpr std::uint64_t kSymmetryStream = 2;

// SplitMix64's finaliser: spreads a number's bits over all of the result, so
// that nearby seeds and indexes give unrelated values, on every platform.
std::uint64_t Mixed(std::uint64_t value) {
  value += 0x9e3779b97f4a7c15u;
  value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9u;
  value = (value ^ (value >> 27)) * 0x94d049bb133111ebu;
  return value ^ (value >> 31);
}

std::uint64_t Derived(std::uint64_t seed, std::uint64_t stream, std::uint64_t index) {
  return Mixed(Mixed(Mixed(seed) ^ stream) ^ index);
}

}  // namespace

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

OpeningSchedule OpeningSchedule::FromList(std::vector<Opening> openings, OpeningOrder order,
                                          bool symmetries, std::uint64_t seed, int boardSize) {
  OpeningSchedule schedule;
  schedule.list_ = std::move(openings);
  if (schedule.list_.empty()) schedule.list_.emplace_back();  // the empty board
  schedule.order_ = order;
  schedule.symmetries_ = symmetries;
  schedule.seed_ = seed;
  schedule.boardSize_ = boardSize;
  return schedule;
}

Opening OpeningSchedule::At(std::size_t index) {
  if (fixed_) return *fixed_;
  if (list_.empty()) {
    while (made_.size() <= index) made_.push_back(RandomOpening());
    return made_[index];
  }
  const Opening& opening = list_[ListEntry(index)];
  if (!symmetries_) return opening;
  const auto symmetry = static_cast<int>(Derived(seed_, kSymmetryStream, index) % kSymmetries);
  return Symmetric(opening, symmetry, boardSize_);
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

std::size_t OpeningSchedule::ListEntry(std::size_t index) {
  const std::size_t count = list_.size();
  if (order_ == OpeningOrder::Sequential) return index % count;
  const std::size_t pass = index / count;
  if (pass_ != pass) {
    // Fisher-Yates with plain modulo, for the same reason as above.
    std::mt19937_64 random(Derived(seed_, kShuffleStream, pass));
    shuffled_.resize(count);
    std::iota(shuffled_.begin(), shuffled_.end(), std::size_t{0});
    for (std::size_t i = count - 1; i > 0; --i)
      std::swap(shuffled_[i], shuffled_[random() % (i + 1)]);
    pass_ = pass;
  }
  return shuffled_[index % count];
}

}  // namespace fiverow::match
