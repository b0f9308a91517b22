#include "explain/ExplainOptions.h"

#include "common/CommandLine.h"
#include "protocol/Numbers.h"

namespace fiverow::explain {

namespace {

constexpr const char* kDescription =
    R"(Shows why fiverow plays where it plays. Reads Plocha.dat and Tah.dat from DIR
(default: the current folder) exactly as fiverow does, and never writes them.
Prints every empty cell's score as a heat map, the ten best cells and the move
fiverow would choose. Bad input gives fiverow's own failure report and exit
status 1.)";

constexpr const char* kFooter =
    R"(Exit status: 0 on success, 1 on bad input or a file that cannot be written,
2 for a usage error.)";

void DefineOptions(CLI::App& app, ExplainOptions& o, std::vector<std::string>& folders) {
  app.description(kDescription);
  app.footer(kFooter);
  tools::AddOption(
      app, "--cell", "x,y",
      "list the 16 passes of that cell (direction, examined side,\n"
      "the tier that decided the pass and what it added) and their\n"
      "total, the cell's score",
      [&o](auto&, auto& text) {
        o.cell = protocol::ParseCell(text);
        if (!o.cell || o.cell->x >= kPlaySize || o.cell->y >= kPlaySize)
          throw UsageError("--cell needs x,y with x and y in 0..19, not \"" + text + "\"");
      });
  tools::AddOption(app, "--svg", "FILE", "also write the heat map as an SVG picture",
                   [&o](auto&, auto& text) {
                     if (text.empty()) throw UsageError("--svg needs a file name");
                     o.svgFile = text;
                   });
  app.add_option("folder", folders, "the game's folder")->expected(0, -1);
  tools::FinishCommandLine(app, "Usage: fiverow-explain [options] [DIR]", 16);
}

}  // namespace

ExplainOptions ParseExplainOptions(const std::vector<std::string>& args) {
  ExplainOptions options;
  std::vector<std::string> folders;
  CLI::App app("", "fiverow-explain");
  DefineOptions(app, options, folders);
  options.asked = tools::ParseCommandLine(app, args);
  if (folders.size() > 1) throw UsageError("only one folder, got \"" + folders[1] + "\" too");
  if (!folders.empty()) options.folder = folders.front();
  return options;
}

std::string ExplainHelp() {
  ExplainOptions options;
  std::vector<std::string> folders;
  CLI::App app("", "fiverow-explain");
  DefineOptions(app, options, folders);
  return app.help();
}

}  // namespace fiverow::explain
