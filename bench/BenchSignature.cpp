#include "BenchSignature.h"

#include <memory>

#include "BenchPositions.h"
#include "select/Selection.h"

namespace fiverow::bench {

namespace {

class Fnv1a64 {
 public:
  void AddInt32(Int32 value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) AddByte((bits >> shift) & 0xFFu);
  }
  std::uint64_t value() const { return hash_; }

 private:
  void AddByte(std::uint32_t byte) {
    hash_ ^= byte;
    hash_ *= 0x100000001B3u;
  }
  std::uint64_t hash_ = 0xCBF29CE484222325u;
};

void AddRun(Fnv1a64& hash, RunState& state, SweepFunction sweep) {
  sweep(state);
  const Move move = SelectMove(state);
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) hash.AddInt32(state.scoreGrid.cell(x, y));
  }
  hash.AddInt32(move.x);
  hash.AddInt32(move.y);
}

constexpr int kRandomPositions = 24;

}  // namespace

std::uint64_t BenchSignature(SweepFunction sweep) {
  Fnv1a64 hash;
  for (const BenchPosition& position : kBenchPositions) {
    for (const char turn : {'x', 'o'}) {
      auto state = std::make_unique<RunState>();
      BenchPosition withTurn = position;
      withTurn.turn = turn;
      LoadPosition(*state, withTurn);
      AddRun(hash, *state, sweep);
    }
  }
  for (int i = 0; i < kRandomPositions; ++i) {
    auto state = std::make_unique<RunState>();
    const int stonePercent = 10 + (i % 8) * 10;  // 10% to 80%
    LoadRandomPosition(*state, static_cast<std::uint32_t>(i + 1), stonePercent,
                       i % 2 == 0 ? kCodeOther : kCodeO);
    AddRun(hash, *state, sweep);
  }
  return hash.value();
}

}  // namespace fiverow::bench
