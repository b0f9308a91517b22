// fiverow-explain as its users run it: it reads the game files as fiverow
// does, fails the same way on bad input, never writes them, and names the
// move fiverow plays.
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>

#include "ToolRun.h"

namespace fiverow::testing {
namespace {

const std::string kExplain = FIVEROW_EXPLAIN_PATH;
const std::string kEngine = FIVEROW_ENGINE_PATH;

ToolResult Explain(const std::string& folder, std::vector<std::string> args = {}) {
  args.insert(args.begin(), kExplain);
  return RunTool(args, folder, {{"NO_COLOR", "1"}});
}

std::string RandomPosition(std::mt19937& random, int stones) {
  std::string text;
  std::string rows[20];
  for (std::string& row : rows) row.assign(20, '-');
  for (int i = 0; i < stones; ++i) {
    const std::size_t x = 5 + random() % 10;
    const std::size_t y = 5 + random() % 10;
    rows[y][x] = "xoX#o"[random() % 5];  // any character but '-' and 'o' is code 1
  }
  for (const std::string& row : rows) text += row + "\r\n";
  return text;
}

// The word after `lead` in `text`, or "?".
std::string WordAfter(const std::string& text, const std::string& lead) {
  const std::size_t at = text.find(lead);
  if (at == std::string::npos) return "?";
  const std::size_t start = at + lead.size();
  return text.substr(start, text.find(' ', start) - start);
}

std::string ChosenMove(const std::string& out) { return WordAfter(out, "fiverow would play "); }

// A failure report with the module's name taken out.
std::string WithoutModuleName(std::string report) {
  const std::string module = WordAfter(report, "in module ");
  const std::size_t at = report.find("in module " + module + " at");
  if (at != std::string::npos) report.erase(at + 10, module.size());
  return report;
}

TEST(ExplainChoice, IsTheMoveFiverowPlays) {
  std::mt19937 random(99);
  for (int board = 0; board < 12; ++board) {
    const TempFolder explained;
    const TempFolder played;
    const std::string position = RandomPosition(random, 2 + board * 3);
    const std::string turn = board % 2 == 0 ? "o" : "x";
    for (const TempFolder* folder : {&explained, &played}) {
      WriteWholeFile(*folder / "Plocha.dat", position);
      WriteWholeFile(*folder / "Tah.dat", turn);
    }
    const ToolResult explanation = Explain(explained.path());
    ASSERT_EQ(explanation.status, 0) << explanation.out << explanation.err;
    const ToolResult engine = RunTool({kEngine}, played.path());
    ASSERT_EQ(engine.status, 0) << engine.out;
    EXPECT_EQ(ChosenMove(explanation.out), ReadWholeFile(played / "Tah.dat")) << explanation.out;
    // Read only: the turn file still holds the side marker.
    EXPECT_EQ(ReadWholeFile(explained / "Tah.dat"), turn);
    EXPECT_EQ(ReadWholeFile(explained / "Plocha.dat"), position);
  }
}

TEST(ExplainChoice, TheOpeningMoveOnAnEmptyBoard) {
  const TempFolder folder;
  std::string empty;
  for (int y = 0; y < 20; ++y) empty += std::string(20, '-') + "\n";
  WriteWholeFile(folder / "Plocha.dat", empty);
  WriteWholeFile(folder / "Tah.dat", "x");
  const ToolResult result = Explain("", {folder.path()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ChosenMove(result.out), "10,10");
}

TEST(ExplainCell, ListsSixteenPassesAddingUpToTheScore) {
  const TempFolder folder;
  std::string rows[20];
  for (std::string& row : rows) row.assign(20, '-');
  rows[10].replace(8, 3, "xxx");
  std::string position;
  for (const std::string& row : rows) position += row + "\n";
  WriteWholeFile(folder / "Plocha.dat", position);
  WriteWholeFile(folder / "Tah.dat", "o");  // plays the x stones
  const ToolResult result = Explain(folder.path(), {"--cell", "7,10"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("fiverow plays x"), std::string::npos) << result.out;
  EXPECT_NE(
      result.out.find("( 1, 0)    x own      . . * x x x .       2 open four      1          1000"),
      std::string::npos)
      << result.out;
  EXPECT_NE(
      result.out.find("(-1, 0)    x own      x x * . . . .       5 three          16           70"),
      std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("total 1070\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("  1. 7,10       1070"), std::string::npos) << result.out;
  std::size_t passLines = 0;
  for (std::size_t at = result.out.find("\n("); at != std::string::npos;
       at = result.out.find("\n(", at + 1)) {
    ++passLines;
  }
  EXPECT_EQ(passLines, 16u);
}

TEST(ExplainFailures, GiveFiverowsReportAndLeaveTheFilesAlone) {
  const std::vector<std::pair<std::string, std::string>> badInputs = {
      {"", "o"},                                       // no position file
      {std::string(20, '-') + "\n" + "short\n", "o"},  // a short line
      {std::string(20 * 21, '-'), ""},                 // not a real board, empty turn file
  };
  for (const auto& [position, turn] : badInputs) {
    const TempFolder explained;
    const TempFolder played;
    for (const TempFolder* folder : {&explained, &played}) {
      if (!position.empty()) WriteWholeFile(*folder / "Plocha.dat", position);
      WriteWholeFile(*folder / "Tah.dat", turn);
    }
    const ToolResult explanation = Explain(explained.path());
    const ToolResult engine = RunTool({kEngine}, played.path());
    EXPECT_EQ(explanation.status, 1);
    EXPECT_EQ(engine.status, 1);
    // The same report, but for the module's name.
    EXPECT_EQ(WithoutModuleName(explanation.out), WithoutModuleName(engine.out));
    EXPECT_NE(explanation.out.find("in module fiverow-explain at"), std::string::npos)
        << explanation.out;
    EXPECT_EQ(ReadWholeFile(explained / "Tah.dat"), turn);
  }
}

TEST(ExplainSvg, WritesThePictureRelativeToWhereItWasStarted) {
  const TempFolder folder;
  const TempFolder game;
  std::string position;
  for (int y = 0; y < 20; ++y)
    position += (y == 9 ? std::string("---------xo---------") : std::string(20, '-')) + "\n";
  WriteWholeFile(game / "Plocha.dat", position);
  WriteWholeFile(game / "Tah.dat", "x");
  const ToolResult result = Explain(folder.path(), {game.path(), "--svg", "map.svg"});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string svg = ReadWholeFile(folder / "map.svg");
  EXPECT_TRUE(svg.starts_with("<svg ")) << svg.substr(0, 100);
  EXPECT_NE(svg.find("fiverow plays o"), std::string::npos);

  const ToolResult unwritable =
      Explain(folder.path(), {game.path(), "--svg", folder / "missing/map.svg"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

// An empty board with x to play.
std::string EmptyGame(const TempFolder& game) {
  std::string rows;
  for (int y = 0; y < 20; ++y) rows += std::string(20, '-') + "\n";
  WriteWholeFile(game / "Plocha.dat", rows);
  WriteWholeFile(game / "Tah.dat", "x");
  return rows;
}

TEST(ExplainSvg, NeverWritesOverTheFilesItReadsByAnyName) {
  const TempFolder game;
  const std::string rows = EmptyGame(game);
  ASSERT_EQ(::link((game / "Plocha.dat").c_str(), (game / "board.svg").c_str()), 0);
  for (const char* name : {"Tah.dat", "board.svg"}) {
    const ToolResult result = Explain(game.path(), {"--svg", name});
    EXPECT_EQ(result.status, 1) << name;
    EXPECT_NE(result.err.find("will not write the picture over"), std::string::npos) << result.err;
  }
  EXPECT_EQ(ReadWholeFile(game / "Plocha.dat"), rows);
  EXPECT_EQ(ReadWholeFile(game / "Tah.dat"), "x");
}

TEST(ExplainUsage, AFailedWriteToStandardOutputIsAnError) {
  const TempFolder game;
  EmptyGame(game);
  const ToolResult full =
      RunTool({"/bin/sh", "-c", "exec \"$0\" >/dev/full", kExplain}, game.path());
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("cannot write to standard output"), std::string::npos) << full.err;
  const ToolResult help =
      RunTool({"/bin/sh", "-c", "exec \"$0\" --help >/dev/full", kExplain}, game.path());
  EXPECT_EQ(help.status, 1);
  EXPECT_NE(help.err.find("cannot write to standard output"), std::string::npos) << help.err;
}

TEST(ExplainUsage, BadUsageExitsWithTwo) {
  const TempFolder folder;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--cell", "20,1"}, {"--cell"}, {"--colour"}, {"a", "b"}}) {
    const ToolResult result = Explain(folder.path(), args);
    EXPECT_EQ(result.status, 2) << args.front();
    EXPECT_NE(result.err.find("--help"), std::string::npos);
  }
  const ToolResult help = Explain(folder.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: fiverow-explain"), std::string::npos);
  EXPECT_EQ(Explain(folder.path(), {folder / "missing"}).status, 1);
}

}  // namespace
}  // namespace fiverow::testing
