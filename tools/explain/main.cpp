// fiverow-explain: shows fiverow's scores for a position and why.
#include <iostream>

#include "common/Terminal.h"
#include "explain/Explain.h"
#include "runtime/Console.h"

int main(int argc, char** argv) {
  using namespace fiverow::explain;
  // A closed or full standard output is an error to report, not a signal.
  fiverow::KeepWriteFailuresAsErrors();
  fiverow::tools::UseUtf8Console();
  try {
    const ExplainOptions options =
        ParseExplainOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
      if (std::cout << kExplainHelp << std::flush) return 0;
      std::cerr << "fiverow-explain: cannot write to standard output\n";
      return 1;
    }
    return RunExplain(options, std::cout, std::cerr);
  } catch (const UsageError& error) {
    std::cerr << "fiverow-explain: " << error.what() << "\nTry 'fiverow-explain --help'.\n";
    return 2;
  }
}
