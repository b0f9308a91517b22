#include "explain/Explain.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>

#include "common/CellText.h"
#include "common/Terminal.h"
#include "engine/Driver.h"
#include "explain/HeatMap.h"
#include "explain/PassListing.h"
#include "explain/Ranking.h"
#include "explain/SvgMap.h"
#include "runtime/FailureReport.h"
#include "runtime/posix/PosixFileSystem.h"

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
  const int folderFd = ::open(options.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) {
    err << "fiverow-explain: cannot open the folder " << options.folder << ": "
        << std::strerror(errno) << "\n";
    return 1;
  }
  PosixFileSystem files(folderFd);

  RunState& state = gState;
  Move chosen;
  try {
    chosen = ReadAndChooseMove(state, files);
  } catch (const RunFailure& failure) {
    ::close(folderFd);
    out.flush();
    WriteFailureReport(failure);
    return 1;
  }
  ::close(folderFd);

  const bool colour = tools::ColourWanted(STDOUT_FILENO);
  out << "fiverow plays " << SideText(state.ownCode) << ".\n\n"
      << RenderHeatMap(state, chosen, colour);
  out << "\nbest cells:\n";
  int rank = 0;
  for (const ScoredCell& best : TopCells(state, 10)) {
    char line[64];
    std::snprintf(line, sizeof line, "%3d. %-6s %8d\n", ++rank, tools::CellText(best.cell).c_str(),
                  best.score);
    out << line;
  }
  out << "\nfiverow would play " << tools::CellText(chosen) << " (score "
      << state.scoreGrid.cell(chosen.x, chosen.y) << ")\n";

  int status = 0;
  if (options.cell) out << PassListing(state, *options.cell);
  if (options.svgFile) {
    std::ofstream svg(*options.svgFile, std::ios::binary | std::ios::trunc);
    svg << RenderSvg(state, chosen);
    svg.close();
    if (!svg) {
      err << "fiverow-explain: cannot write " << *options.svgFile << "\n";
      status = 1;
    }
  }
  out.flush();
  return status;
}

}  // namespace fiverow::explain
