#include "match/Position.h"

namespace fiverow::match {

void Position::Place(Move cell, Side side) {
  char& slot = cells_[Index(cell)];
  if (slot == '-') ++stones_;
  slot = StoneChar(side);
}

int Position::LongestLineThrough(Move cell) const {
  const char stone = At(cell);
  if (stone == '-') return 0;
  static constexpr std::array<Move, 4> kAxes{{{1, 0}, {0, 1}, {1, 1}, {1, -1}}};
  int longest = 0;
  for (const Move axis : kAxes) {
    int length = 1;
    for (const int sign : {1, -1}) {
      Move probe{cell.x + sign * axis.x, cell.y + sign * axis.y};
      while (OnBoard(probe) && At(probe) == stone) {
        ++length;
        probe = {probe.x + sign * axis.x, probe.y + sign * axis.y};
      }
    }
    if (length > longest) longest = length;
  }
  return longest;
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
