// The summary of a tournament of three or more engines: a table of every
// engine, best first, with its points, results, faults, move time and
// rating, then the crosstable of points of every pair, e.g.
//   engine  games  points   wins  draws  losses  ...      Elo +/- 95%  command
//   C           8     6.5      6      1       1  ...  +152.3 +/- 98.1  ./c
//   ...
//   points of the row's engine against the column's
//   engine       C       A       B
//   C            -     3.5     3.0
//   ...
// Ratings are fitted to every game (stats/RatingFit.h); when some engines
// never met the others, a line says which groups are rated apart.
#pragma once

#include <string>
#include <vector>

#include "match/Match.h"
#include "match/Standings.h"

namespace fiverow::match {

std::string TournamentSummary(const std::vector<MatchEngine>& engines, const Standings& standings);

}  // namespace fiverow::match
