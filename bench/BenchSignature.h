// One number that fingerprints the evaluation: a hash of the score grids and
// moves of a fixed set of positions. Any change to what a pass adds, to the
// sweep or to the selection changes it.
#pragma once

#include <cstdint>

#include "state/RunState.h"

namespace fiverow::bench {

using SweepFunction = void (*)(RunState&);

// FNV-1a (64 bit) over, for every position in turn, the 400 play-area scores
// in row-major order (4 bytes each, little-endian) and then the move's x and
// y (4 bytes each). The positions are the four bench positions with either
// side to play, and 24 pseudo-random ones of various densities.
std::uint64_t BenchSignature(SweepFunction sweep);

}  // namespace fiverow::bench
