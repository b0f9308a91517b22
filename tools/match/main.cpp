// fiverow-match: a referee for engines that speak the Plocha.dat / Tah.dat
// file protocol.
#include <iostream>

#include "match/Match.h"
#include "runtime/Console.h"

int main(int argc, char** argv) {
  using namespace fiverow::match;
  // A closed or full standard output is an error to report, not a signal.
  fiverow::KeepWriteFailuresAsErrors();
  try {
    const MatchOptions options = ParseMatchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
      std::cout << kMatchHelp;
      return 0;
    }
    if (options.replayFile)
      return ReplayGame(*options.replayFile, options.show.value_or(Show::Each), std::cout,
                        std::cerr);
    return RunMatch(options, std::cout, std::cerr);
  } catch (const UsageError& error) {
    std::cerr << "fiverow-match: " << error.what() << "\nTry 'fiverow-match --help'.\n";
    return 2;
  }
}
