// The middle of a list of values.
#pragma once

#include <vector>

namespace fiverow::match {

// The middle value (the mean of the two middle ones for an even count); 0 for
// no values.
double Median(std::vector<double> values);

}  // namespace fiverow::match
