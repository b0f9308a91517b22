// The protocol log: every line between the referee and its engines, bounded.
#include <gtest/gtest.h>

#include "ToolRun.h"
#include "match/Standings.h"
#include "output/ProtocolLog.h"

namespace fiverow::match {
namespace {

TEST(ProtocolLog, CutsLongLinesAndCountsWhatIsTooMuch) {
  const fiverow::testing::TempFolder folder;
  const std::string path = folder / "log.txt";
  {
    ProtocolLog log(path);
    log.OnLine({1, "A", true, "START 20"});
    log.OnLine({1, "A", false, std::string(2000, 'x') + "\x1b"});
    const std::string block(4096, 'y');
    for (int i = 0; i < 2600; ++i) log.OnLine({2, "B", false, block});
    PlayedGame played;
    played.setup.game = 2;
    log.GameEnded(played, Standings(2));
  }
  const std::string text = fiverow::testing::ReadWholeFile(path);
  EXPECT_NE(text.find(" game 1 A > START 20\n"), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find(" game 1 A < " + std::string(1024, 'x') + " [cut]\n"), std::string::npos);
  EXPECT_NE(text.find("game 2 B sent 167977 more bytes, not written\n"), std::string::npos);
  EXPECT_LT(text.size(), 10'600'000u);
}

}  // namespace
}  // namespace fiverow::match
