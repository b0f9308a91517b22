// fiverow-board: a page on this machine to play engines, see fiverow's view
// of a position, watch a match and step through a game.
#include <iostream>

#include "board/BoardOptions.h"
#include "board/Server.h"
#include "common/CommandLine.h"
#include "common/Version.h"
#include "runtime/Console.h"

int main(int argc, char** argv) {
  using namespace fiverow::board;
  // A closed or full standard output is an error to report, not a signal.
  fiverow::KeepWriteFailuresAsErrors();
  try {
    const BoardOptions options = ParseBoardOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.asked != fiverow::tools::Asked::kRun) {
      return fiverow::tools::WriteAnswer("fiverow-board",
                                         options.asked == fiverow::tools::Asked::kHelp
                                             ? BoardHelp()
                                             : fiverow::tools::VersionText("fiverow-board"));
    }
    return RunBoard(options, std::cout, std::cerr);
  } catch (const UsageError& error) {
    std::cerr << "fiverow-board: " << error.what() << "\nTry 'fiverow-board --help'.\n";
    return 2;
  }
}
