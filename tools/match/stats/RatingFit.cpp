#include "stats/RatingFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "stats/Rating.h"

namespace fiverow::match {

namespace {

// The imagined pair of games, scored 1-1, of engines that met.
constexpr double kImaginedGames = 2;
constexpr double kImaginedPoints = 1;
// The fit works in natural units, e^x for 10^(elo / 400).
constexpr double kEloPerUnit = 400 / std::numbers::ln10;
// Newton's method stops once its full step moves no rating further than
// this (about 2e-8 Elo); it converges in a handful of steps, so the limit on
// steps is only a guard.
constexpr double kTolerance = 1e-10;
constexpr int kMaxSteps = 100;
// A damped step must gain at least this share of what its slope promises.
constexpr double kSufficientDecrease = 1e-4;
constexpr double kSmallestDamping = 1e-6;

using Vector = std::vector<double>;
using Matrix = std::vector<Vector>;

// The results of two engines that met, with the imagined pair of games.
struct Pairing {
  std::size_t first = 0;
  std::size_t second = 0;
  double games = 0;
  double points = 0;  // of `first`
};

std::vector<Pairing> Pairings(const Crosstable& table) {
  std::vector<Pairing> pairings;
  for (std::size_t i = 0; i < table.Engines(); ++i) {
    for (std::size_t j = i + 1; j < table.Engines(); ++j) {
      if (table.Games(i, j) == 0) continue;
      pairings.push_back(
          {i, j, table.Games(i, j) + kImaginedGames, table.Points(i, j) + kImaginedPoints});
    }
  }
  return pairings;
}

// The engines that met, directly or through others, share a group; an engine
// without games is a group of its own.
std::vector<std::size_t> Groups(const Crosstable& table, const std::vector<Pairing>& pairings) {
  const std::size_t n = table.Engines();
  std::vector<std::size_t> group(n);
  for (std::size_t i = 0; i < n; ++i) group[i] = i;
  // Merge until settled; each pass joins every pairing's groups, taking the
  // lower number, so the groups end numbered by their first engine.
  for (bool changed = true; changed;) {
    changed = false;
    for (const Pairing& p : pairings) {
      const std::size_t low = std::min(group[p.first], group[p.second]);
      const std::size_t high = std::max(group[p.first], group[p.second]);
      if (low == high) continue;
      for (std::size_t& g : group)
        if (g == high) g = low;
      changed = true;
    }
  }
  // Consecutive numbers from 0.
  std::vector<std::size_t> number(n, n);
  std::size_t next = 0;
  for (std::size_t& g : group) {
    if (number[g] == n) number[g] = next++;
    g = number[g];
  }
  return group;
}

// ln(1 / (1 + e^-x)), the log of the expected score, without overflow.
double LogExpected(double x) {
  return x >= 0 ? -std::log1p(std::exp(-x)) : x - std::log1p(std::exp(x));
}

double NegativeLogLikelihood(const std::vector<Pairing>& pairings, const Vector& ratings) {
  double sum = 0;
  for (const Pairing& p : pairings) {
    const double difference = ratings[p.first] - ratings[p.second];
    sum -= p.points * LogExpected(difference) + (p.games - p.points) * LogExpected(-difference);
  }
  return sum;
}

// The gradient and the curvature (Hessian) of the negative log-likelihood.
void Derivatives(const std::vector<Pairing>& pairings, const Vector& ratings, Vector& gradient,
                 Matrix& curvature) {
  const std::size_t n = ratings.size();
  gradient.assign(n, 0);
  curvature.assign(n, Vector(n, 0));
  for (const Pairing& p : pairings) {
    const double expected = 1 / (1 + std::exp(ratings[p.second] - ratings[p.first]));
    const double excess = p.games * expected - p.points;
    gradient[p.first] += excess;
    gradient[p.second] -= excess;
    const double weight = p.games * expected * (1 - expected);
    curvature[p.first][p.first] += weight;
    curvature[p.second][p.second] += weight;
    curvature[p.first][p.second] -= weight;
    curvature[p.second][p.first] -= weight;
  }
}

// Gauss-Jordan elimination with partial pivoting; `a` must be invertible.
Matrix Inverse(Matrix a) {
  const std::size_t n = a.size();
  Matrix inverse(n, Vector(n, 0));
  for (std::size_t i = 0; i < n; ++i) inverse[i][i] = 1;
  for (std::size_t column = 0; column < n; ++column) {
    std::size_t pivot = column;
    for (std::size_t row = column + 1; row < n; ++row)
      if (std::abs(a[row][column]) > std::abs(a[pivot][column])) pivot = row;
    std::swap(a[column], a[pivot]);
    std::swap(inverse[column], inverse[pivot]);
    const double scale = 1 / a[column][column];
    for (std::size_t k = 0; k < n; ++k) {
      a[column][k] *= scale;
      inverse[column][k] *= scale;
    }
    for (std::size_t row = 0; row < n; ++row) {
      const double factor = a[row][column];
      if (row == column || factor == 0) continue;
      for (std::size_t k = 0; k < n; ++k) {
        a[row][k] -= factor * a[column][k];
        inverse[row][k] -= factor * inverse[column][k];
      }
    }
  }
  return inverse;
}

// The curvature is singular along equal moves of a group's ratings, which
// change no expected score. With Q the projection onto those moves (1 / size
// between engines of a group), (curvature + Q)^-1 - Q is its pseudo-inverse:
// the inverse on the ratings of mean 0 in every group.
Matrix PseudoInverse(Matrix curvature, const std::vector<std::size_t>& group) {
  const std::size_t n = group.size();
  std::vector<double> sizes(n, 0);
  for (const std::size_t g : group) ++sizes[g];
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      if (group[i] == group[j]) curvature[i][j] += 1 / sizes[group[i]];
  Matrix inverse = Inverse(std::move(curvature));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      if (group[i] == group[j]) inverse[i][j] -= 1 / sizes[group[i]];
  return inverse;
}

// Takes each group's mean away, which round-off may have moved.
void Anchor(Vector& ratings, const std::vector<std::size_t>& group) {
  const std::size_t n = ratings.size();
  Vector sums(n, 0);
  Vector sizes(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    sums[group[i]] += ratings[i];
    ++sizes[group[i]];
  }
  for (std::size_t i = 0; i < n; ++i) ratings[i] -= sums[group[i]] / sizes[group[i]];
}

}  // namespace

std::vector<FittedRating> FitRatings(const Crosstable& table) {
  const std::size_t n = table.Engines();
  const std::vector<Pairing> pairings = Pairings(table);
  const std::vector<std::size_t> group = Groups(table, pairings);
  Vector ratings(n, 0);
  Vector gradient;
  Matrix curvature;
  // Damped Newton: the negative log-likelihood is convex, and with the
  // imagined games strictly so on the anchored ratings.
  for (int step = 0; step < kMaxSteps; ++step) {
    Derivatives(pairings, ratings, gradient, curvature);
    const Matrix inverse = PseudoInverse(curvature, group);
    Vector move(n, 0);
    double slope = 0;
    double longest = 0;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) move[i] -= inverse[i][j] * gradient[j];
      slope += gradient[i] * move[i];
      longest = std::max(longest, std::abs(move[i]));
    }
    const double before = NegativeLogLikelihood(pairings, ratings);
    Vector trial(n);
    for (double damping = 1;; damping /= 2) {
      for (std::size_t i = 0; i < n; ++i) trial[i] = ratings[i] + damping * move[i];
      if (damping < kSmallestDamping ||
          NegativeLogLikelihood(pairings, trial) <= before + kSufficientDecrease * damping * slope)
        break;
    }
    ratings = std::move(trial);
    Anchor(ratings, group);
    if (longest < kTolerance) break;
  }

  Derivatives(pairings, ratings, gradient, curvature);
  const Matrix covariance = PseudoInverse(curvature, group);
  std::vector<FittedRating> fitted(n);
  for (std::size_t i = 0; i < n; ++i) {
    fitted[i].rated = table.Games(i) > 0;
    fitted[i].group = group[i];
    if (!fitted[i].rated) continue;
    fitted[i].elo = ratings[i] * kEloPerUnit;
    fitted[i].margin = kZ95 * std::sqrt(std::max(0.0, covariance[i][i])) * kEloPerUnit;
  }
  return fitted;
}

}  // namespace fiverow::match
