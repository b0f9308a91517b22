// Lines far longer than the 20 cells that count, and turn files whose first
// line never needs to be read to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Failures.h"
#include "MemoryFileSystem.h"
#include "engine/Driver.h"
#include "files/PositionReader.h"
#include "runtime/Failure.h"

namespace fiverow {
namespace {

using testing::FileStep;
using testing::MemoryFileSystem;

const std::vector<std::string> kRows = [] {
  std::vector<std::string> rows(kPlaySize, std::string(kPlaySize, '-'));
  rows[0] = "x-o-x-o-x-o---------";
  rows[1] = "--------------------";
  rows[5].replace(4, 3, "ooo");
  rows[19] = "-------------------x";
  return rows;
}();

std::string Joined(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

// Junk of `size` bytes with no LF: CRs, NULs, Ctrl-Z and high bytes.
std::string Junk(std::size_t size) {
  std::string junk(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    const char pattern[] = {'\r', 'x', '\0', '\x1a', '\xff', 'o', '-', '\r', '\r'};
    junk[i] = pattern[(i * 7 + i / 13) % sizeof pattern];
  }
  return junk;
}

struct Result {
  std::optional<Move> move;
  std::optional<RunFailure> failure;
  RunState state{};
  MemoryFileSystem files;
};

Result RunWith(const std::string& position, const std::string& turn, std::size_t chunk) {
  Result result;
  result.files.files["Plocha.dat"] = position;
  result.files.files["Tah.dat"] = turn;
  result.files.readChunk = chunk;
  const testing::RunOutcome outcome = testing::RunCatching(result.state, result.files);
  result.move = outcome.move;
  result.failure = outcome.failure;
  return result;
}

void ExpectBoardIs(const RunState& state, const std::vector<std::string>& rows) {
  for (int y = 0; y < kPlaySize; ++y) {
    for (int x = 0; x < kPlaySize; ++x) {
      ASSERT_EQ(state.board.cell(x, y),
                CellCodeOf(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]))
          << "cell " << x << "," << y;
    }
  }
}

constexpr std::size_t kChunks[] = {1, 3, 128, 4096, 1 << 20};

TEST(LongLines, KeepTheirFirstTwentyCellsAndTheRowsAfterThem) {
  const std::string plain = Joined(kRows);
  const Result reference = RunWith(plain, "o", 128);
  ASSERT_TRUE(reference.move.has_value());

  // Row 0 gets a CR among its cells and 70,000 bytes of junk (more than one input block) after
  // them; row 7 gets junk that begins with CRs right after its 20th cell.
  std::string position;
  for (std::size_t y = 0; y < kRows.size(); ++y) {
    std::string row = kRows[y];
    if (y == 0) row = row.substr(0, 5) + "\r" + row.substr(5) + Junk(70000);
    if (y == 7) row += "\r\r\r" + Junk(5000);
    position += row + "\r\n";
  }
  for (const std::size_t chunk : kChunks) {
    SCOPED_TRACE(chunk);
    const Result result = RunWith(position, "o", chunk);
    ASSERT_TRUE(result.move.has_value());
    ExpectBoardIs(result.state, kRows);
    EXPECT_EQ(result.state.emptyCount, reference.state.emptyCount);
    EXPECT_EQ(*result.move, *reference.move);
  }
}

TEST(LongLines, AShortRowIsShortHoweverManyCrsFollowIt) {
  std::vector<std::string> rows = kRows;
  rows[3] = std::string(kPlaySize - 1, '-') + std::string(100000, '\r');
  for (const std::size_t chunk : kChunks) {
    SCOPED_TRACE(chunk);
    const Result result = RunWith(Joined(rows), "o", chunk);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->kind, FailureKind::ERangeError);
    EXPECT_EQ(result.files.files.at("Tah.dat"), "o");
  }
}

TEST(LongLines, ALastRowWithoutLineEndIsReadWhole) {
  std::string position = Joined(kRows);
  position.pop_back();
  position += Junk(20000);
  for (const std::size_t chunk : kChunks) {
    SCOPED_TRACE(chunk);
    const Result result = RunWith(position, "o", chunk);
    ASSERT_TRUE(result.move.has_value());
    ExpectBoardIs(result.state, kRows);
  }
}

long ReadsOf(const MemoryFileSystem& files, const char* name) {
  return std::count(files.log.begin(), files.log.end(), std::string("Read ") + name);
}

TEST(TurnFileHead, IsAllThatIsRead) {
  const Result result = RunWith(Joined(kRows), std::string(1, 'o').append(Junk(1 << 20)), 128);
  ASSERT_TRUE(result.move.has_value());
  EXPECT_EQ(result.state.ownCode, kCodeOther);
  EXPECT_EQ(ReadsOf(result.files, "Tah.dat"), 1);
}

TEST(TurnFileHead, SkipsCrsBeforeTheFirstCharacter) {
  const Result result = RunWith(Joined(kRows), "\r\r\ro", 1);
  ASSERT_TRUE(result.move.has_value());
  EXPECT_EQ(result.state.ownCode, kCodeOther);
  EXPECT_EQ(ReadsOf(result.files, "Tah.dat"), 4);
}

TEST(TurnFileHead, EmptyFirstLineStillFails) {
  for (const std::string turn : {"", "\n", "\r\n", "\r\r\no", "\x1a"}) {
    SCOPED_TRACE(turn.size());
    const Result result = RunWith(Joined(kRows), turn, 1);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->kind, FailureKind::ERangeError);
    EXPECT_EQ(result.files.files.at("Tah.dat"), turn);
  }
}

}  // namespace
}  // namespace fiverow
