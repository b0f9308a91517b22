// Every pair's results in a tournament: the points each engine scored
// against each other one and the games they played, a draw counting half a
// point to each.
#pragma once

#include <cstddef>
#include <vector>

namespace fiverow::match {

class Crosstable {
 public:
  explicit Crosstable(std::size_t engines)
      : engines_(engines), points_(engines * engines), games_(engines * engines) {}

  // Adds a game between two different engines in which `first` scored
  // `points` (0, 0.5 or 1) and `second` the rest of 1.
  void Add(std::size_t first, std::size_t second, double points);

  std::size_t Engines() const { return engines_; }
  // What `engine` scored against `opponent`, and the games between them.
  double Points(std::size_t engine, std::size_t opponent) const {
    return points_[engine * engines_ + opponent];
  }
  int Games(std::size_t engine, std::size_t opponent) const {
    return games_[engine * engines_ + opponent];
  }
  // Over all opponents.
  double Points(std::size_t engine) const;
  int Games(std::size_t engine) const;

 private:
  std::size_t engines_;
  std::vector<double> points_;  // row engine against column engine
  std::vector<int> games_;
};

}  // namespace fiverow::match
