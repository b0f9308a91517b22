#include "explain/PassListing.h"

#include <cstdio>

#include "eval/Sweep.h"
#include "eval/TierTables.h"
#include "explain/HeatMap.h"
#include "protocol/Numbers.h"

namespace fiverow::explain {

// The line through the cell as the pass sees it: c(-2), c(-1), the cell
// itself as "*", then c(+1) to c(+4).
std::string LineText(const ListedPass& pass) {
  const char mine = StoneCharOf(pass.examinedCode);
  const char theirs = StoneCharOf(OtherCode(pass.examinedCode));
  std::string text;
  for (std::size_t i = 0; i < kProbeCount; ++i) {
    if (i == 2) text += "* ";
    const Stone stone = pass.probes[i];
    text += stone == Stone::Empty ? '.' : stone == Stone::Mine ? mine : theirs;
    text += ' ';
  }
  text.pop_back();
  return text;
}

std::string TierText(int tier) {
  if (tier == 0) return "none";
  return std::to_string(tier) + " " + tiers::kCascade[static_cast<std::size_t>(tier - 1)].name;
}

std::string RowsText(RowMask rows) {
  std::string text;
  for (int row = 0; rows != 0; ++row, rows >>= 1) {
    if ((rows & 1u) == 0) continue;
    if (!text.empty()) text += ",";
    text += std::to_string(row + 1);
  }
  return text.empty() ? "-" : text;
}

std::vector<ListedPass> ListPasses(RunState& state, Move cell) {
  std::vector<ListedPass> passes;
  if (state.board.cell(cell.x, cell.y) != kEmpty) return passes;
  state.x = cell.x;
  state.y = cell.y;
  for (const Direction& direction : kDirections) {
    for (state.examinedCode = 1; state.examinedCode <= 2; ++state.examinedCode) {
      const bool own = state.examinedCode == state.ownCode;
      const ProbeStones probes = ReadProbes(state, direction.dx, direction.dy);
      passes.push_back({direction, state.examinedCode, own, probes, TracePass(own, probes)});
    }
  }
  return passes;
}

Int32 PassTotal(const std::vector<ListedPass>& passes) {
  Int32 total = 0;
  for (const ListedPass& pass : passes) total = CheckedAdd(total, pass.trace.amount);
  return total;
}

std::string PassListing(RunState& state, Move cell) {
  std::string text = "\ncell ";
  text.append(protocol::CellText(cell)).append(":");
  const std::vector<ListedPass> passes = ListPasses(state, cell);
  if (passes.empty()) return text + " holds a stone, so it scores 0 and gets no passes\n";
  text.append(" ").append(std::to_string(passes.size())).append(" passes\n");
  text += "direction  examines   line c(-2)..c(+4)   deciding tier    rows       adds\n";
  for (const ListedPass& pass : passes) {
    char line[160];
    std::snprintf(line, sizeof line, "(%2d,%2d)    %c %-5s    %-17s   %-15s  %-6s %8d\n",
                  pass.direction.dx, pass.direction.dy, StoneCharOf(pass.examinedCode),
                  pass.own ? "own" : "other", LineText(pass).c_str(),
                  TierText(pass.trace.tier).c_str(), RowsText(pass.trace.rows).c_str(),
                  pass.trace.amount);
    text += line;
  }
  return text + "total " + std::to_string(PassTotal(passes)) + "\n";
}

}  // namespace fiverow::explain
