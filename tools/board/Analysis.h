// fiverow's view of a position on its 20 x 20 board, by the same steps as
// fiverow-explain (explain/): the score of every empty cell for the side to
// play, the best cells, the move fiverow would choose, and on request the
// passes that made one cell's score.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/UTypes.h"
#include "game/Sides.h"

namespace fiverow::board {

struct AnalysisRequest {
  std::vector<Move> x;  // each side's stones
  std::vector<Move> o;
  match::Side toPlay = match::Side::X;
  std::optional<Move> cell;  // whose passes to list
};

// The page's request, {"x":[[9,9],...],"o":[...],"turn":"o","cell":[8,12]}
// ("cell" may be left out): nothing and why for anything else, a stone off
// the board or two on one cell.
std::optional<AnalysisRequest> AnalysisRequestOf(const std::string& body, std::string& problem);

// The view as JSON text:
//   {"turn":"o","chosen":[8,12],"scores":[[...20 per row...],...],"levels":[[...]],
//    "best":[{"cell":[8,12],"score":4057},...],
//    "passes":{"cell":[8,12],"rows":[{"direction":[1,-1],"side":"x","own":false,
//              "line":". . * x x x x","tier":"1 five","rows":"1","adds":4001},...],"total":4057}}
// scores by row, 0 on a stone; levels 0..6 as fiverow-explain colours them;
// passes null without a cell, its rows empty for an occupied one. Nothing,
// and why, when no cell is empty.
std::optional<std::string> Analyse(const AnalysisRequest& request, std::string& problem);

}  // namespace fiverow::board
