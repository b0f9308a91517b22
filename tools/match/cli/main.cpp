// fiverow-match: a referee and tournament manager for five-in-a-row engines
// of either protocol, and people.
#include <iostream>

#include "cli/Run.h"
#include "common/Terminal.h"
#include "common/Version.h"
#include "process/OutputCheck.h"
#include "process/RefereeError.h"
#include "runtime/Console.h"

int main(int argc, char** argv) {
  using namespace fiverow::match;
  // A closed or full standard output is an error to report, not a signal.
  fiverow::KeepWriteFailuresAsErrors();
  fiverow::tools::UseUtf8Console();
  try {
    const MatchOptions options = ParseMatchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.asked != fiverow::tools::Asked::kRun) {
      std::cout << (options.asked == fiverow::tools::Asked::kHelp
                        ? MatchHelp()
                        : fiverow::tools::VersionText("fiverow-match"));
      CheckOutput(std::cout);
      return 0;
    }
    return Run(options, std::cout, std::cerr);
  } catch (const RefereeError& failure) {
    std::cerr << "fiverow-match: " << failure.what() << "\n";
    return 1;
  } catch (const UsageError& error) {
    std::cerr << "fiverow-match: " << error.what() << "\nTry 'fiverow-match --help'.\n";
    return 2;
  }
}
