#include "explain/Explain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "common/CellText.h"
#include "common/EscapedText.h"
#include "common/HandleFiles.h"
#include "common/Terminal.h"
#include "engine/Driver.h"
#include "eval/Sweep.h"
#include "eval/TierTables.h"
#include "explain/HeatMap.h"
#include "explain/PassDetail.h"
#include "explain/Ranking.h"
#include "explain/SvgMap.h"
#include "files/GameFiles.h"
#include "runtime/FailureReport.h"
#include "runtime/posix/PosixFileSystem.h"

namespace fiverow::explain {

namespace {

// The whole run state, as in fiverow, outside the stack.
RunState gState;

constexpr const char* kTierNames[8] = {
    "none",         "1 five",  "2 open four",  "3 four",
    "4 open three", "5 three", "6 two in six", "7 two in five",
};

std::string SideText(CellCode code) {
  return code == kCodeO ? "o (the stones written \"o\")"
                        : "x (the stones written with any character but \"-\" and \"o\")";
}

// The line through the cell as the pass sees it: c(-2), c(-1), the cell
// itself as "*", then c(+1) to c(+4).
std::string LineText(const PassDetail& pass) {
  const char mine = StoneCharOf(pass.examinedCode);
  const char theirs = StoneCharOf(3 - pass.examinedCode);
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

std::string RowsText(RowMask rows) {
  std::string text;
  for (int row = 0; rows != 0; ++row, rows >>= 1) {
    if ((rows & 1u) == 0) continue;
    if (!text.empty()) text += ",";
    text += std::to_string(row + 1);
  }
  return text.empty() ? "-" : text;
}

void ShowPasses(std::ostream& out, RunState& state, Move cell) {
  out << "\ncell " << tools::CellText(cell) << ":";
  if (state.board.cell(cell.x, cell.y) != kEmpty) {
    out << " holds a stone, so it scores 0 and gets no passes\n";
    return;
  }
  const CellExplanation explanation = ExplainCell(state, cell);
  out << " 16 passes\n"
      << "direction  examines   line c(-2)..c(+4)   deciding tier    rows       adds\n";
  for (const PassDetail& pass : explanation.passes) {
    char line[160];
    std::snprintf(line, sizeof line, "(%2d,%2d)    %c %-5s    %-17s   %-15s  %-6s %8d\n", pass.dx,
                  pass.dy, StoneCharOf(pass.examinedCode), pass.own ? "own" : "other",
                  LineText(pass).c_str(), kTierNames[pass.tier], RowsText(pass.rows).c_str(),
                  pass.amount);
    out << line;
  }
  out << "total " << explanation.total << "\n";
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
  for (const ScoredCell& best : TopCells(state, 10)) {
    char line[64];
    std::snprintf(line, sizeof line, "%3d. %-6s %8d\n", ++rank, tools::CellText(best.cell).c_str(),
                  best.score);
    out << line;
  }
  out << "\nfiverow would play " << tools::CellText(chosen) << " (score "
      << state.scoreGrid.cell(chosen.x, chosen.y) << ")\n";

  int status = 0;
  if (options.cell) {
    ShowPasses(out, state, *options.cell);
    const Int32 total = ExplainCell(state, *options.cell).total;
    const Int32 score = state.scoreGrid.cell(options.cell->x, options.cell->y);
    if (total != score) {
      err << "fiverow-explain: the passes add up to " << total << " but fiverow scores the cell "
          << score << "\n";
      status = 1;
    }
  }
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
