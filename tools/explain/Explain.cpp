#include "explain/Explain.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "common/EscapedText.h"
#include "common/Terminal.h"
#include "engine/Driver.h"
#include "explain/GameFolder.h"
#include "explain/HeatMap.h"
#include "explain/PassListing.h"
#include "explain/Ranking.h"
#include "explain/SvgMap.h"
#include "files/GameFiles.h"
#include "protocol/Numbers.h"
#include "runtime/FailureReport.h"

namespace fiverow::explain {

namespace {

// The whole run state, as in fiverow, outside the stack.
RunState gState;

std::string SideText(CellCode code) {
  return code == kCodeO ? "o (the stones written \"o\")"
                        : "x (the stones written with any character but \"-\" and \"o\")";
}

}  // namespace

int RunExplain(const ExplainOptions& options, std::ostream& out, std::ostream& err) {
  // The game files are read relative to a handle on the folder, so relative
  // names given on the command line keep meaning what they meant.
  GameFolder folder(options.folder);
  if (!folder.problem().empty()) {
    err << "fiverow-explain: " << folder.problem() << "\n";
    return 1;
  }

  RunState& state = gState;
  Move chosen;
  try {
    chosen = ReadAndChooseMove(state, folder.Files());
  } catch (const RunFailure& failure) {
    out.flush();
    WriteFailureReport(failure);
    return 1;
  }

  const bool colour = tools::ColourWanted(tools::kStandardOutput);
  out << "fiverow plays " << SideText(state.ownCode) << ".\n\n"
      << RenderHeatMap(state, chosen, colour);
  out << "\nbest cells:\n";
  int rank = 0;
  for (const ScoredCell& best : TopCells(state, kBestCellsShown)) {
    char line[64];
    std::snprintf(line, sizeof line, "%3d. %-6s %8d\n", ++rank,
                  protocol::CellText(best.cell).c_str(), best.score);
    out << line;
  }
  out << "\nfiverow would play " << protocol::CellText(chosen) << " (score "
      << state.scoreGrid.cell(chosen.x, chosen.y) << ")\n";

  int status = 0;
  if (options.cell) out << PassListing(state, *options.cell);
  if (options.svgFile) {
    const std::string problem = folder.WritePicture(*options.svgFile, RenderSvg(state, chosen));
    if (!problem.empty()) {
      err << "fiverow-explain: " << problem << "\n";
      status = 1;
    }
  }
  if (!out.flush()) {
    err << "fiverow-explain: cannot write to standard output: " << std::strerror(errno) << "\n";
    return 1;
  }
  return status;
}

}  // namespace fiverow::explain
