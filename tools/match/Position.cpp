#include "match/Position.h"

#include <algorithm>

namespace fiverow::match {

void Position::Place(Move cell, Side side) {
  char& slot = cells_[Index(cell)];
  if (slot == '-') ++stones_;
  slot = StoneChar(side);
}

std::array<int, 4> Position::LinesThrough(Move cell) const {
  std::array<int, 4> lengths{};
  const char stone = At(cell);
  if (stone == '-') return lengths;
  static constexpr std::array<Move, 4> kAxes{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};
  for (std::size_t i = 0; i < kAxes.size(); ++i) {
    const Move axis = kAxes[i];
    int length = 1;
    for (const int sign : {1, -1}) {
      Move probe{cell.x + sign * axis.x, cell.y + sign * axis.y};
      while (OnBoard(probe) && At(probe) == stone) {
        ++length;
        probe = {probe.x + sign * axis.x, probe.y + sign * axis.y};
      }
    }
    lengths[i] = length;
  }
  return lengths;
}

int Position::LongestLineThrough(Move cell) const {
  const std::array<int, 4> lengths = LinesThrough(cell);
  return *std::max_element(lengths.begin(), lengths.end());
}

bool Position::Wins(Move cell, Rule rule) const {
  if (rule == Rule::Freestyle) return CompletesFive(cell);
  const std::array<int, 4> lengths = LinesThrough(cell);
  return std::find(lengths.begin(), lengths.end(), kWinLength) != lengths.end();
}

std::string Position::PositionFileText() const {
  std::string text;
  text.reserve(static_cast<std::size_t>(kPlaySize * (kPlaySize + 1)));
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) text += At({x, y});
    text += '\n';
  }
  return text;
}

}  // namespace fiverow::match
