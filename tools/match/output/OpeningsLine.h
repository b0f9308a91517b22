// The line that tells people where a match's openings come from.
#pragma once

#include <string>

#include "output/EventStream.h"

namespace fiverow::match {

// "random openings, seed 1", "12 openings from book.txt, shuffled, seed 3";
// nothing for a fixed opening.
std::string OpeningsLine(const OpeningsSource& source);

}  // namespace fiverow::match
