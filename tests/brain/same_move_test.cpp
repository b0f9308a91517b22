// Property: pbrain-fiverow replies with exactly the move fiverow writes into
// Tah.dat for the same stones, the brain's written 'o' and the opponent's
// 'x', with a Tah.dat that begins with "x".
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "Boards.h"
#include "Failures.h"
#include "MemoryFileSystem.h"
#include "brain/Session.h"

namespace fiverow::testing {
namespace {

// fiverow's reply for the rows through the file protocol, in memory: the
// move as Tah.dat holds it, or "ERROR" when the run fails.
std::string FileProtocolReply(const Rows& rows) {
  MemoryFileSystem files;
  files.files["Plocha.dat"] = PositionText(rows, "\r\n");
  files.files["Tah.dat"] = "x\r\n";
  auto state = std::make_unique<RunState>();
  return RunCatching(*state, files).failure ? "ERROR" : files.files["Tah.dat"];
}

void ExpectSameReply(const std::string& reply, const Rows& rows) {
  const std::string expected = FileProtocolReply(rows);
  if (expected == "ERROR") {
    EXPECT_EQ(reply.substr(0, 6), "ERROR ") << PositionText(rows);
  } else {
    EXPECT_EQ(reply, expected) << PositionText(rows);
  }
}

std::string Cell(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

// Random positions of 0 to 100 % stones, given by BOARD in shuffled order.
TEST(BrainSameMove, BoardPositions) {
  std::mt19937 random(2024);
  brain::Session session;
  ASSERT_EQ(session.Handle("START 20", false).reply, "OK");
  for (int position = 0; position < 300; ++position) {
    const int stonePercent = position == 0 ? 0 : position == 1 ? 100 : int(random() % 101);
    Rows rows = EmptyRows();
    std::vector<std::string> lines;
    for (int y = 0; y < kPlaySize; ++y) {
      for (int x = 0; x < kPlaySize; ++x) {
        if (int(random() % 100) >= stonePercent) continue;
        const bool own = random() % 2 == 0;
        Put(rows, x, y, own ? 'o' : 'x');
        lines.push_back(Cell(x, y) + (own ? ",1" : ",2"));
      }
    }
    std::shuffle(lines.begin(), lines.end(), random);
    session.Handle("BOARD", false);
    for (const std::string& line : lines) ASSERT_EQ(session.Handle(line, false).reply, "");
    ExpectSameReply(session.Handle("DONE", false).reply, rows);
  }
}

// Random games: the opponent plays random empty cells by TURN, the brain
// answers each; every other game the brain begins.
TEST(BrainSameMove, TurnSequences) {
  std::mt19937 random(7);
  brain::Session session;
  for (int game = 0; game < 12; ++game) {
    ASSERT_EQ(session.Handle("START 20", false).reply, "OK");
    Rows rows = EmptyRows();
    std::string reply = game % 2 == 0 ? session.Handle("BEGIN", false).reply : "";
    if (!reply.empty()) ExpectSameReply(reply, rows);
    while (reply.substr(0, 5) != "ERROR" && !::testing::Test::HasFailure()) {
      int x = 0, y = 0;
      if (std::sscanf(reply.c_str(), "%d,%d", &x, &y) == 2) Put(rows, x, y, 'o');
      if (PositionText(rows).find('-') == std::string::npos) break;
      do {
        x = int(random() % kPlaySize);
        y = int(random() % kPlaySize);
      } while (rows[std::size_t(y)][std::size_t(x)] != '-');
      Put(rows, x, y, 'x');
      reply = session.Handle("TURN " + Cell(x, y), false).reply;
      ExpectSameReply(reply, rows);
    }
  }
}

}  // namespace
}  // namespace fiverow::testing
