#include "game/Position.h"

#include <algorithm>

namespace fiverow::match {

void Position::Place(Move cell, Side side) {
  char& slot = cells_[Index(cell)];
  if (slot == '-') ++stones_;
  slot = StoneChar(side);
}

void Position::Remove(Move cell) {
  char& slot = cells_[Index(cell)];
  if (slot != '-') --stones_;
  slot = '-';
}

std::array<int, 4> Position::LinesThrough(Move cell) const {
  std::array<int, 4> lengths{};
  const char stone = At(cell);
  if (stone == '-') return lengths;
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

std::string CoordinateRange(const Position& position) {
  return "0.." + std::to_string(position.size() - 1);
}

}  // namespace fiverow::match
