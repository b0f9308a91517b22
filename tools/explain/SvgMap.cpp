#include "explain/SvgMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "explain/HeatMap.h"
#include "protocol/Numbers.h"

namespace fiverow::explain {

namespace {
constexpr int kCell = 40;
constexpr int kMargin = 28;
constexpr int kTitle = 24;

// White through orange to dark red, for 0..1.
std::string HeatFill(double share) {
  struct Rgb {
    double r, g, b;
  };
  constexpr Rgb kStops[] = {{255, 255, 255}, {253, 212, 158}, {239, 101, 72}, {153, 0, 0}};
  const double scaled = std::clamp(share, 0.0, 1.0) * 3.0;
  const int low = std::min(2, static_cast<int>(scaled));
  const double t = scaled - low;
  const Rgb& a = kStops[low];
  const Rgb& b = kStops[low + 1];
  char text[16];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<int>(a.r + (b.r - a.r) * t),
                static_cast<int>(a.g + (b.g - a.g) * t), static_cast<int>(a.b + (b.b - a.b) * t));
  return text;
}

std::string Attr(const char* name, int value) {
  return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}
}  // namespace

std::string RenderSvg(const RunState& state, Move chosen) {
  const Int32 highest = HighestScore(state);
  const int side = kMargin + kPlaySize * kCell + 4;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\"" + Attr("width", side) +
                    Attr("height", side + kTitle) + " font-family=\"sans-serif\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#f4f1ea\"/>\n";
  svg += "<text x=\"" + std::to_string(kMargin) + "\" y=\"17\" font-size=\"14\">fiverow plays " +
         std::string(1, StoneCharOf(state.ownCode)) +
         (state.ownCode == kCodeO ? " (white)" : " (black)") + "; chosen move " +
         protocol::CellText(chosen) + " (score " +
         std::to_string(state.scoreGrid.cell(chosen.x, chosen.y)) + ")</text>\n";
  const int top = kTitle + kMargin;
  for (Int32 i = 0; i < kPlaySize; ++i) {
    svg += "<text" + Attr("x", kMargin + i * kCell + kCell / 2) + Attr("y", top - 8) +
           " font-size=\"11\" text-anchor=\"middle\">" + std::to_string(i) + "</text>\n";
    svg += "<text" + Attr("x", kMargin - 6) + Attr("y", top + i * kCell + kCell / 2 + 4) +
           " font-size=\"11\" text-anchor=\"end\">" + std::to_string(i) + "</text>\n";
  }
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const int left = kMargin + x * kCell;
      const int upper = top + y * kCell;
      const CellCode code = state.board.cell(x, y);
      const Int32 score = state.scoreGrid.cell(x, y);
      const double share = (code != kEmpty || score <= 0 || highest <= 0)
                               ? 0.0
                               : std::log1p(score) / std::log1p(highest);
      svg += "<rect" + Attr("x", left) + Attr("y", upper) + Attr("width", kCell) +
             Attr("height", kCell) + " fill=\"" + HeatFill(share) + "\" stroke=\"#999\"/>\n";
      const int cx = left + kCell / 2;
      const int cy = upper + kCell / 2;
      if (code != kEmpty) {
        svg += "<circle" + Attr("cx", cx) + Attr("cy", cy) + Attr("r", kCell / 2 - 4) +
               (code == kCodeOther ? " fill=\"#111\""
                                   : " fill=\"#fff\" stroke=\"#111\" stroke-width=\"2\"") +
               "/>\n";
      } else if (score > 0) {
        svg += "<text" + Attr("x", cx) + Attr("y", cy + 4) + " font-size=\"" +
               (score >= 100000 ? "8" : "10") + "\" text-anchor=\"middle\"" +
               (share > 0.7 ? " fill=\"#fff\"" : "") + ">" + std::to_string(score) + "</text>\n";
      }
    }
  }
  svg += "<rect" + Attr("x", kMargin + chosen.x * kCell + 2) +
         Attr("y", top + chosen.y * kCell + 2) + Attr("width", kCell - 4) +
         Attr("height", kCell - 4) + " fill=\"none\" stroke=\"#0057d9\" stroke-width=\"4\"/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace fiverow::explain
