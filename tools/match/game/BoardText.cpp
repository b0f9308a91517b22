#include "game/BoardText.h"

#include <cstdio>

namespace fiverow::match {

namespace {
constexpr const char* kReset = "\033[0m";
constexpr const char* kXColour = "\033[1;31m";   // bold red
constexpr const char* kOColour = "\033[1;34m";   // bold blue
constexpr const char* kEmptyColour = "\033[2m";  // dim
constexpr const char* kLastColour = "\033[7m";   // reverse video

std::string Number(int value, int width) {
  char text[16];  // any int
  std::snprintf(text, sizeof text, "%*d", width, value);
  return text;
}
}  // namespace

std::string RenderBoard(const Position& position, std::optional<Move> lastMove, bool colour) {
  // Three characters per cell, the stone in the middle, so that each column
  // number ends above its stones and brackets can surround the last move.
  std::string text = "   ";
  for (Int32 x = 0; x < position.size(); ++x) text += Number(x, 2) + " ";
  text += '\n';
  for (Int32 y = 0; y < position.size(); ++y) {
    text += Number(y, 3);
    for (Int32 x = 0; x < position.size(); ++x) {
      const Move cell{x, y};
      const char stone = position.At(cell);
      const bool last = lastMove && *lastMove == cell;
      text += last ? '[' : ' ';
      if (colour) {
        text += stone == 'x' ? kXColour : stone == 'o' ? kOColour : kEmptyColour;
        if (last) text += kLastColour;
      }
      text += stone == '-' ? '.' : stone;
      if (colour) text += kReset;
      text += last ? ']' : ' ';
    }
    text += '\n';
  }
  return text;
}

}  // namespace fiverow::match
