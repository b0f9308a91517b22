#include "explain/Explain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "common/Terminal.h"
#include "engine/Driver.h"
#include "explain/HeatMap.h"
#include "explain/PassListing.h"
#include "explain/Ranking.h"
#include "explain/SvgMap.h"
#include "files/GameFiles.h"
#include "protocol/Numbers.h"
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

// Writes the SVG picture to `file` (relative to the folder the program was
// started in), but never over a file it read: the file is opened without
// truncating it and compared with those by identity first. Returns the
// problem, if any.
std::string WriteSvg(const std::string& file, const std::string& svg, int folderFd) {
  const std::string shown = tools::ShownText(file);
  const tools::UniqueFd output(
      ::open(file.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666));
  struct stat target {};
  if (!output || ::fstat(output.get(), &target) != 0)
    return "cannot write " + shown + ": " + std::strerror(errno);
  for (const char* input : {kPositionFileName, kTurnFileName}) {
    struct stat read {};
    if (::fstatat(folderFd, input, &read, 0) == 0 && tools::SameFile(read, target))
      return "will not write the picture over " + std::string(input) + ", which it reads";
  }
  int error = S_ISREG(target.st_mode) && ::ftruncate(output.get(), 0) != 0 ? errno : 0;
  if (error == 0) error = tools::WriteAll(output.get(), svg);
  if (error != 0) return "cannot write " + shown + ": " + std::strerror(error);
  return {};
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
  const tools::UniqueFd folder(folderFd);
  PosixFileSystem files(folderFd);

  RunState& state = gState;
  Move chosen;
  try {
    chosen = ReadAndChooseMove(state, files);
  } catch (const RunFailure& failure) {
    out.flush();
    WriteFailureReport(failure);
    return 1;
  }

  const bool colour = tools::ColourWanted(STDOUT_FILENO);
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
    const std::string problem = WriteSvg(*options.svgFile, RenderSvg(state, chosen), folderFd);
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
