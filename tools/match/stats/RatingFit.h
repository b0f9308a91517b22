// Ratings of any number of engines, fitted together to every game.
//
// Model. The logistic Elo curve: engine i is expected to score
// 1 / (1 + 10^((Rj - Ri) / 400)) against j, a draw counting half a point.
// The ratings are those of maximum likelihood, each pair's points taken as
// binomial. As the two-engine statistics do (EstimatedVariance), each pair
// that met gets one more, imagined, sample spread evenly over the scores:
// here one imagined pair of games scored 1-1, i.e. 2 games and 1 point each
// added to their real results. So an engine that wins or loses every game
// still gets a finite rating, with a wide margin.
//
// Anchoring. Only differences are measured: the ratings of engines that met,
// directly or through others (a group), have a mean of 0. Groups that never
// met are not compared: each is anchored on its own and their ratings say
// nothing about each other. An engine without games gets no rating.
//
// Margins. 1.96 standard errors, from the inverse of the curvature of the
// negative log-likelihood (with the imagined games) at the optimum, taken on
// the ratings of mean 0: the pseudo-inverse of that matrix, which does not
// depend on the order of the engines or on which of them would be held fixed.
#pragma once

#include <cstddef>
#include <vector>

#include "stats/Crosstable.h"

namespace fiverow::match {

struct FittedRating {
  bool rated = false;  // false for an engine without games
  double elo = 0;      // relative to the mean of its group
  double margin = 0;   // half the width of the 95% interval
  // The same for engines rated together, numbered from 0 in the order of
  // their first engine; an engine without games is a group of its own.
  std::size_t group = 0;
};

// One for each engine of the crosstable.
std::vector<FittedRating> FitRatings(const Crosstable& table);

}  // namespace fiverow::match
