// Engine commands as POSIX shells split and resolve them (Windows's forms:
// tests/windows/process_test.cpp).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ToolRun.h"
#include "players/CommandLine.h"
#include "players/EngineProgram.h"

namespace fiverow::match {
namespace {

TEST(EngineCommands, SplitLikeAShell) {
  std::string error;
  EXPECT_EQ(*SplitCommandLine("python3  my.py --depth 2", error),
            (std::vector<std::string>{"python3", "my.py", "--depth", "2"}));
  EXPECT_EQ(*SplitCommandLine(R"('my engine' "a b" c\ d "q\"q" '')", error),
            (std::vector<std::string>{"my engine", "a b", "c d", "q\"q", ""}));
  EXPECT_FALSE(SplitCommandLine("engine 'open", error));
  EXPECT_NE(error.find("unclosed"), std::string::npos);
  EXPECT_FALSE(SplitCommandLine("   ", error));
}

TEST(EngineCommands, ResolveLikeAShellAndIndependentlyOfTheFolder) {
  const fiverow::testing::TempFolder here;
  const fiverow::testing::TempFolder bin;
  for (const char* name : {"engine.py", "0.01"}) fiverow::testing::WriteWholeFile(here / name, "");
  ::mkdir((here / "bash").c_str(), 0700);  // not taken for the program
  ::mkdir((here / "lib").c_str(), 0700);
  fiverow::testing::WriteWholeFile(bin / "bash", "");
  ::chmod((bin / "bash").c_str(), 0755);
  std::string error;
  const auto words = ResolveCommand({"bash", "engine.py", "0.01", "./engine.py", "lib/x", "lib/"},
                                    here.path(), "/no/such:" + bin.path(), error);
  ASSERT_TRUE(words) << error;
  EXPECT_EQ(*words, (std::vector<std::string>{bin / "bash", "engine.py", "0.01",
                                              here / "./engine.py", "lib/x", here / "lib/"}));
  EXPECT_EQ(ResolveCommand({"./engine.py"}, here.path(), "", error), std::nullopt);
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  EXPECT_EQ(ResolveCommand({"engine.py"}, here.path(), bin.path(), error), std::nullopt);
  EXPECT_NE(error.find("not found on PATH"), std::string::npos) << error;
}

TEST(EngineCommands, TellTheProtocolByPrefixOrProgramName) {
  const fiverow::testing::TempFolder bin;
  for (const char* name : {"pbrain-x", "fiverow"}) {
    fiverow::testing::WriteWholeFile(bin / name, "");
    ::chmod((bin / name).c_str(), 0755);
  }
  const CommandPlace place{bin.path(), "", bin.path()};
  EXPECT_EQ(ChooseEngine("human", place).protocol, Protocol::Human);
  EXPECT_EQ(ChooseEngine("./pbrain-x --fast", place).protocol, Protocol::Pipe);
  EXPECT_EQ(ChooseEngine("file:./pbrain-x", place).protocol, Protocol::File);
  const EngineProgram piped = ChooseEngine("pipe:fiverow", place);
  EXPECT_EQ(piped.protocol, Protocol::Pipe);
  EXPECT_EQ(piped.argv, std::vector<std::string>{bin / "fiverow"});  // beside the tool, not on PATH
  EXPECT_EQ(piped.command, "pipe:fiverow");
}

}  // namespace
}  // namespace fiverow::match
