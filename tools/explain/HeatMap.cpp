#include "explain/HeatMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fiverow::explain {

namespace {
constexpr const char* kReset = "\033[0m";
constexpr const char* kLevelColours[7] = {
    "\033[38;5;244m",  // 0: grey
    "\033[38;5;39m",  "\033[38;5;43m",  "\033[38;5;112m",
    "\033[38;5;184m", "\033[38;5;208m", "\033[1;38;5;196m",
};
constexpr const char* kStoneColour = "\033[1m";
constexpr const char* kChosenColour = "\033[7m";

std::string Padded(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}
}  // namespace

Int32 HighestScore(const RunState& state) {
  Int32 highest = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) highest = std::max(highest, state.scoreGrid.cell(x, y));
  }
  return highest;
}

int HeatLevel(Int32 score, Int32 highest) {
  if (score <= 0 || highest <= 0) return 0;
  const double share = std::log1p(score) / std::log1p(highest);
  return 1 + std::min(5, static_cast<int>(share * 6.0));
}

std::string RenderHeatMap(const RunState& state, Move chosen, bool colour) {
  const Int32 highest = HighestScore(state);
  const std::size_t width = std::to_string(highest).size();
  std::string text = "   ";
  for (Int32 x = 0; x < kPlaySize; ++x) {
    text += ' ';
    text += Padded(std::to_string(x), width);
  }
  text += '\n';
  for (Int32 y = 0; y < kPlaySize; ++y) {
    text += Padded(std::to_string(y), 3);
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const bool isChosen = chosen == Move{x, y};
      text += isChosen ? '>' : ' ';
      const CellCode code = state.board.cell(x, y);
      const Int32 score = state.scoreGrid.cell(x, y);
      // A score of 0 is shown as "." so that the scoring cells stand out.
      const std::string shown = Padded(code != kEmpty ? std::string(1, StoneCharOf(code))
                                       : score == 0   ? std::string(".")
                                                      : std::to_string(score),
                                       width);
      if (colour) {
        text += code == kEmpty ? kLevelColours[HeatLevel(score, highest)] : kStoneColour;
        if (isChosen) text += kChosenColour;
      }
      text += shown;
      if (colour) text += kReset;
    }
    text += '\n';
  }
  return text;
}

}  // namespace fiverow::explain
