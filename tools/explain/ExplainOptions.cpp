#include "explain/ExplainOptions.h"

#include "common/Arguments.h"
#include "protocol/Numbers.h"

namespace fiverow::explain {

const char* const kExplainHelp = R"(Usage: fiverow-explain [options] [DIR]

Shows why fiverow plays where it plays. Reads Plocha.dat and Tah.dat from DIR
(default: the current folder) exactly as fiverow does, and never writes them.
Prints every empty cell's score as a heat map, the ten best cells and the move
fiverow would choose. Bad input gives fiverow's own failure report and exit
status 1.

Options:
  --cell x,y    list the 16 passes of that cell (direction, examined side,
                the tier that decided the pass and what it added) and their
                total, the cell's score
  --svg FILE    also write the heat map as an SVG picture
  -h, --help    show this help

Exit status: 0 on success, 1 on bad input or a file that cannot be written,
2 for a usage error.
)";

ExplainOptions ParseExplainOptions(const std::vector<std::string>& args) {
  ExplainOptions options;
  bool folderGiven = false;
  tools::Arguments arguments(args);
  while (arguments.Next()) {
    const std::string& arg = arguments.Name();
    const auto value = [&arguments] { return arguments.Value(); };
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--cell") {
      const std::string text = value();
      options.cell = protocol::ParseCell(text);
      if (!options.cell || options.cell->x >= kPlaySize || options.cell->y >= kPlaySize)
        throw UsageError("--cell needs x,y with x and y in 0..19, not \"" + text + "\"");
    } else if (arg == "--svg") {
      options.svgFile = value();
      if (options.svgFile->empty()) throw UsageError("--svg needs a file name");
    } else if (arguments.IsOption()) {
      throw UsageError("unknown option " + arg);
    } else {
      if (folderGiven) throw UsageError("only one folder, got \"" + arg + "\" too");
      options.folder = arg;
      folderGiven = true;
    }
  }
  return options;
}

}  // namespace fiverow::explain
