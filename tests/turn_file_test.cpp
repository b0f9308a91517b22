// Tah.dat: the side read from its first character, and the move written back.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Boards.h"
#include "Failures.h"
#include "MemoryFileSystem.h"
#include "files/TurnFile.h"

namespace fiverow {
namespace {

using testing::MemoryFileSystem;

CellCode OwnCodeRead(const std::string& content, std::size_t readChunk = 128) {
  MemoryFileSystem fs;
  fs.files["Tah.dat"] = content;
  fs.readChunk = readChunk;
  RunState state;
  state.textFile.Attach(fs);
  ReadTurn(state);
  EXPECT_EQ(fs.OpenCount(), 0) << "Tah.dat left open";
  return state.ownCode;
}

// A whole run on an empty board with the given turn file; the failure, if any.
std::optional<RunFailure> RunWithTurn(MemoryFileSystem& fs, const std::string& turn) {
  fs.files["Plocha.dat"] = testing::PositionText(testing::EmptyRows());
  fs.files["Tah.dat"] = turn;
  return testing::RunFailureOf(fs);
}

TEST(TurnRead, LowerCaseOFirstPlaysCodeOne) {
  struct Case {
    const char* content;
    CellCode own;
  };
  const Case cases[] = {
      {"o", 1}, {"o\r\n", 1}, {"oxx\nx", 1}, {"\ro", 1}, {"x", 2},
      {"O", 2}, {" o", 2},    {"7,10", 2},   {"1", 2},   {"x\no", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OwnCodeRead(c.content), c.own) << c.content;
    EXPECT_EQ(OwnCodeRead(c.content, 1), c.own) << c.content;
  }
}

TEST(TurnRead, EmptyFirstLineFailsAndKeepsTheFile) {
  for (const std::string turn : {"", "\n", "\r\n", "\no", "\r\no", "\x1Ao"}) {
    MemoryFileSystem fs;
    const std::optional<RunFailure> failure = RunWithTurn(fs, turn);
    ASSERT_TRUE(failure) << turn;
    EXPECT_EQ(failure->kind, FailureKind::ERangeError);
    EXPECT_EQ(fs.files["Tah.dat"], turn);
  }
}

TEST(TurnRead, MissingTurnFile) {
  MemoryFileSystem fs;
  fs.files["Plocha.dat"] = testing::PositionText(testing::EmptyRows());
  const std::optional<RunFailure> failure = testing::RunFailureOf(fs);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->kind, FailureKind::EInOutError);
  EXPECT_EQ(failure->ioCode, io::kFileNotFound);
  EXPECT_FALSE(fs.files.contains("Tah.dat"));
}

TEST(MoveWrite, DecimalColumnCommaRowWithoutLineEnd) {
  struct Case {
    Move move;
    const char* text;
  };
  const Case cases[] = {{{10, 10}, "10,10"}, {{0, 0}, "0,0"}, {{3, 17}, "3,17"}, {{19, 9}, "19,9"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FormatMove(c.move).view(), c.text);
    MemoryFileSystem fs;
    fs.files["Tah.dat"] = "o\r\nan older and much longer content";
    RunState state;
    state.textFile.Attach(fs);
    WriteMove(state, c.move);
    EXPECT_EQ(fs.files["Tah.dat"], c.text);
    EXPECT_EQ(fs.OpenCount(), 0);
  }
}

TEST(MoveWrite, RunReplacesTheSideMarkerWithTheMove) {
  MemoryFileSystem fs;
  ASSERT_FALSE(RunWithTurn(fs, "o\r\n"));
  EXPECT_EQ(fs.files["Tah.dat"], "10,10");
  EXPECT_EQ(std::string(fs.files["Tah.dat"]).find_first_of("\r\n"), std::string::npos);

  // A further run reads the move's first digit as the side: code 2.
  RunState again;
  again.textFile.Attach(fs);
  ReadTurn(again);
  EXPECT_EQ(again.ownCode, 2);
}

TEST(MoveWrite, ReadOnlyTurnFileKeepsItsContent) {
  MemoryFileSystem fs;
  fs.fault = [](testing::FileStep step, const std::string& name, int) {
    return step == testing::FileStep::OpenWrite && name == "Tah.dat"
               ? std::optional<IoCode>(io::kAccessDenied)
               : std::nullopt;
  };
  const std::optional<RunFailure> failure = RunWithTurn(fs, "o");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->kind, FailureKind::EInOutError);
  EXPECT_EQ(failure->ioCode, io::kAccessDenied);
  EXPECT_EQ(fs.files["Tah.dat"], "o");
}

}  // namespace
}  // namespace fiverow
