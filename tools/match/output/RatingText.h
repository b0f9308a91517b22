// The ratings of a match between A and B, one line each, without a line
// break, e.g.
//   "games 7: 3 wins, 2 draws, 2 losses; pairs scoring 0/0.5/1/1.5/2: 0 1 1 1 0"
//   "Elo difference: 31.4 +/- 45.2 (95%), LOS 91.3%"
//   "SPRT: llr 1.23 (-2.94, 2.94) [0, 10]", ending ", H1 accepted" once decided
#pragma once

#include <string>

#include "stats/Rating.h"

namespace fiverow::match {

std::string TallyLine(const RatingTally& tally);
std::string EloLine(const RatingTally& tally);
std::string SprtLine(const SprtParameters& parameters, const SprtState& state);

}  // namespace fiverow::match
