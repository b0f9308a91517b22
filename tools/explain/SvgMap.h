// The heat map as an SVG picture: cells shaded by score, scores written in
// the empty cells, stones drawn, the chosen move framed.
#pragma once

#include <string>

#include "state/RunState.h"

namespace fiverow::explain {

std::string RenderSvg(const RunState& state, Move chosen);

}  // namespace fiverow::explain
