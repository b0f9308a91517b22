#include "stats/Crosstable.h"

namespace fiverow::match {

void Crosstable::Add(std::size_t first, std::size_t second, double points) {
  points_[first * engines_ + second] += points;
  points_[second * engines_ + first] += 1 - points;
  ++games_[first * engines_ + second];
  ++games_[second * engines_ + first];
}

double Crosstable::Points(std::size_t engine) const {
  double sum = 0;
  for (std::size_t opponent = 0; opponent < engines_; ++opponent) sum += Points(engine, opponent);
  return sum;
}

int Crosstable::Games(std::size_t engine) const {
  int sum = 0;
  for (std::size_t opponent = 0; opponent < engines_; ++opponent) sum += Games(engine, opponent);
  return sum;
}

}  // namespace fiverow::match
