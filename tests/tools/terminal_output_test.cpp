// Terminal niceties of both tools: colours only on a terminal and without
// NO_COLOR, and the referee's progress line only on a terminal.
#include <gtest/gtest.h>

#include "ToolRun.h"

namespace fiverow::testing {
namespace {

const std::string kMatch = FIVEROW_MATCH_PATH;
const std::string kExplain = FIVEROW_EXPLAIN_PATH;
const std::string kQuickWin = "5,10 5,15 6,10 6,15 7,10 7,15 8,10 8,15";

bool HasEscapes(const std::string& text) { return text.find("\033[") != std::string::npos; }

TEST(TerminalOutput, TheRefereeColoursTheBoardOnlyOnATerminalWithoutNoColor) {
  const TempFolder tmp;
  const std::vector<std::string> args = {kMatch, "--opening", kQuickWin, "--show", "end"};
  const std::map<std::string, std::string> env = {{"TMPDIR", tmp.path()}};
  const ToolResult terminal = RunToolOnTerminal(args, tmp.path(), env);
  EXPECT_EQ(terminal.status, 0) << terminal.out;
  EXPECT_TRUE(HasEscapes(terminal.out)) << terminal.out;

  const std::map<std::string, std::string> noColour = {{"TMPDIR", tmp.path()}, {"NO_COLOR", "1"}};
  const ToolResult plainTerminal = RunToolOnTerminal(args, tmp.path(), noColour);
  EXPECT_EQ(plainTerminal.status, 0);
  EXPECT_FALSE(HasEscapes(plainTerminal.out)) << plainTerminal.out;
  EXPECT_NE(plainTerminal.out.find("[x]"), std::string::npos) << plainTerminal.out;

  const std::map<std::string, std::string> colourAllowed = {{"TMPDIR", tmp.path()},
                                                            {"NO_COLOR", ""}};
  const ToolResult file = RunTool(args, tmp.path(), colourAllowed);
  EXPECT_FALSE(HasEscapes(file.out)) << file.out;
}

TEST(TerminalOutput, TheExplainerColoursTheHeatMapOnlyOnATerminal) {
  const TempFolder game;
  std::string position;
  for (int y = 0; y < 20; ++y)
    position += (y == 9 ? std::string("---------xo---------") : std::string(20, '-')) + "\n";
  WriteWholeFile(game / "Plocha.dat", position);
  WriteWholeFile(game / "Tah.dat", "o");
  EXPECT_TRUE(HasEscapes(RunToolOnTerminal({kExplain, game.path()}).out));
  EXPECT_FALSE(
      HasEscapes(RunToolOnTerminal({kExplain, game.path()}, "", {{"NO_COLOR", "yes"}}).out));
  EXPECT_FALSE(HasEscapes(RunTool({kExplain, game.path()}).out));
}

TEST(TerminalOutput, TheProgressLineGoesToATerminalOnly) {
  const TempFolder tmp;
  const std::vector<std::string> args = {kMatch, "--games", "2", "--opening", kQuickWin};
  const std::map<std::string, std::string> env = {{"TMPDIR", tmp.path()}, {"NO_COLOR", "1"}};
  const ToolResult terminal = RunToolOnTerminal(args, tmp.path(), env);
  EXPECT_EQ(terminal.status, 0);
  EXPECT_NE(terminal.out.find("game 2 of 2, move 0"), std::string::npos) << terminal.out;
  // Cleared before each line of the game, never glued to one.
  const ToolResult each = RunToolOnTerminal(
      {kMatch, "--games", "2", "--show", "each", "--opening", kQuickWin}, tmp.path(), env);
  EXPECT_NE(each.out.find("\r\033[Kmove 1: "), std::string::npos) << each.out;
  EXPECT_EQ(each.out.find(")move "), std::string::npos) << each.out;
  const ToolResult file = RunTool(args, tmp.path(), env);
  EXPECT_EQ(file.err.find("game 2 of 2, move"), std::string::npos) << file.err;
}

}  // namespace
}  // namespace fiverow::testing
