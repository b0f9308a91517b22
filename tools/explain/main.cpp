// fiverow-explain: shows fiverow's scores for a position and why.
#include <iostream>

#include "common/CommandLine.h"
#include "common/Terminal.h"
#include "common/Version.h"
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
    if (options.asked != fiverow::tools::Asked::kRun) {
      return fiverow::tools::WriteAnswer("fiverow-explain",
                                         options.asked == fiverow::tools::Asked::kHelp
                                             ? ExplainHelp()
                                             : fiverow::tools::VersionText("fiverow-explain"));
    }
    return RunExplain(options, std::cout, std::cerr);
  } catch (const UsageError& error) {
    std::cerr << "fiverow-explain: " << error.what() << "\nTry 'fiverow-explain --help'.\n";
    return 2;
  }
}
