// Reading Plocha.dat: line rules, cell characters and short input.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Boards.h"
#include "Failures.h"
#include "MemoryFileSystem.h"
#include "files/PositionReader.h"

namespace fiverow {
namespace {

using testing::MemoryFileSystem;
using testing::PositionText;
using testing::Put;
using testing::Rows;

// A position with stones of both codes on every row.
Rows Sample() {
  Rows rows = testing::EmptyRows();
  for (Int32 i = 0; i < kPlaySize; ++i) {
    Put(rows, i, i, 'x');
    Put(rows, 19 - i, i, 'o');
    Put(rows, (i * 7) % 20, i, '#');
  }
  return rows;
}

struct Read {
  RunState state;
  std::optional<RunFailure> failure;
};

Read ReadFrom(const std::string& text, std::size_t readChunk = 128) {
  MemoryFileSystem fs;
  fs.files["Plocha.dat"] = text;
  fs.readChunk = readChunk;
  Read read;
  read.state.textFile.Attach(fs);
  read.failure = testing::FailureOf([&read] { ReadPosition(read.state); });
  if (!read.failure) {
    EXPECT_EQ(fs.OpenCount(), 0) << "Plocha.dat left open";
  }
  return read;
}

void ExpectBoard(const std::string& text, const Rows& rows, std::size_t readChunk = 128) {
  const Read read = ReadFrom(text, readChunk);
  ASSERT_FALSE(read.failure) << "kind " << static_cast<int>(read.failure->kind);
  EXPECT_EQ(read.state.board.cells, testing::BoardOf(rows).cells);
  EXPECT_EQ(read.state.emptyCount, testing::StateOf(rows, 1).emptyCount);
}

void ExpectRangeError(const std::string& text) {
  const Read read = ReadFrom(text);
  ASSERT_TRUE(read.failure);
  EXPECT_EQ(read.failure->kind, FailureKind::ERangeError);
}

TEST(PositionLines, LineEndsAndMissingFinalLineEndReadAlike) {
  const std::string lf = PositionText(Sample());
  ExpectBoard(lf, Sample());
  ExpectBoard(PositionText(Sample(), "\r\n"), Sample());
  ExpectBoard(lf.substr(0, lf.size() - 1), Sample());
}

TEST(PositionLines, CarriageReturnInsideALineIsDropped) {
  std::string text = PositionText(Sample());
  text.insert(21 * 3 + 5, 1, '\r');  // after the fifth character of row 3
  text.insert(21 * 8, 2, '\r');      // before the first character of row 8
  ExpectBoard(text, Sample());
}

TEST(PositionLines, ExtraCharactersAndLinesAreIgnored) {
  ExpectBoard(PositionText(Sample(), "xxxxx\n"), Sample());  // lines of 25
  ExpectBoard(PositionText(Sample()) + "short\n\nooooooooooooooooooooooooo\n", Sample());
}

TEST(PositionLines, SmallReadsCrossBlockBoundaries) {
  for (std::size_t chunk : {1u, 7u}) ExpectBoard(PositionText(Sample(), "\r\n"), Sample(), chunk);
}

TEST(PositionLines, LongLineCountsOnlyItsFirstTwentyCharacters) {
  const Rows rows = Sample();
  std::string text = PositionText(rows);
  text.insert(20, std::string(1 << 20, 'o'));  // row 0 becomes 1 MB longer
  ExpectBoard(text, rows);
}

TEST(PositionLines, CtrlZEndsTheFileOnlyAsItsFirstByte) {
  ExpectRangeError(std::string(1, '\x1A').append(PositionText(Sample())));

  Rows rows = Sample();
  Put(rows, 5, 0, '\x1A');
  Put(rows, 0, 1, '\x1A');  // the first byte of a line, not of the file
  for (std::size_t chunk : {128u, 7u}) ExpectBoard(PositionText(rows), rows, chunk);
}

TEST(PositionCells, OnlyDashIsEmptyAndOnlyLowerCaseOIsCodeTwo) {
  Rows rows = testing::EmptyRows();
  rows[0] = std::string("O .0123456789\t\x1AxX#%\xFF", 20);
  rows[1] = std::string(20, ' ');
  rows[2] = std::string(20, '.');
  rows[3] = std::string(20, 'o');
  const Read read = ReadFrom(PositionText(rows));
  ASSERT_FALSE(read.failure);
  for (Int32 x = 0; x < kPlaySize; ++x) {
    for (Int32 y = 0; y < 3; ++y) EXPECT_EQ(read.state.board.cell(x, y), 1) << x << "," << y;
    EXPECT_EQ(read.state.board.cell(x, 3), 2);
    EXPECT_EQ(read.state.board.cell(x, 4), 0);
  }
  EXPECT_EQ(read.state.emptyCount, 320);
}

TEST(PositionCells, ByteOrderMarkShiftsTheFirstRow) {
  const Read read = ReadFrom("\xEF\xBB\xBF" + PositionText(Sample()));
  ASSERT_FALSE(read.failure);
  const Board expected = testing::BoardOf(Sample());
  for (Int32 x = 0; x < kPlaySize; ++x) {
    EXPECT_EQ(read.state.board.cell(x, 0), x < 3 ? 1 : expected.cell(x - 3, 0)) << x;
    EXPECT_EQ(read.state.board.cell(x, 1), expected.cell(x, 1)) << x;
  }
}

TEST(PositionCells, EmptyCountCountsDashes) {
  Rows rows = testing::EmptyRows();
  EXPECT_EQ(ReadFrom(PositionText(rows)).state.emptyCount, 400);
  Put(rows, 19, 19, 'o');
  EXPECT_EQ(ReadFrom(PositionText(rows)).state.emptyCount, 399);
}

// A whole run on this position file fails with a range error and leaves the
// turn file as it was.
void ExpectRunFails(const std::string& position) {
  MemoryFileSystem fs;
  fs.files["Plocha.dat"] = position;
  fs.files["Tah.dat"] = "o\r\nkeep";
  const std::optional<RunFailure> failure = testing::RunFailureOf(fs);
  ASSERT_TRUE(failure) << "no failure raised";
  EXPECT_EQ(failure->kind, FailureKind::ERangeError);
  EXPECT_EQ(fs.files["Tah.dat"], "o\r\nkeep");
}

TEST(PositionShortInput, MissingOrShortLinesFailTheRun) {
  const std::string text = PositionText(Sample());
  ExpectRunFails("");
  ExpectRunFails(text.substr(0, 21 * 19));                  // 19 lines
  ExpectRunFails(std::string(text).erase(21 * 4 + 19, 1));  // a fifth line of 19
  // Twenty bytes, but only nineteen characters once the CR is dropped.
  ExpectRangeError(std::string(text).replace(21 * 4 + 19, 1, 1, '\r'));
}

TEST(PositionFileSteps, MissingFileAndFailedReads) {
  MemoryFileSystem fs;
  fs.files["Tah.dat"] = "o";
  const std::optional<RunFailure> missing = testing::RunFailureOf(fs);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->kind, FailureKind::EInOutError);
  EXPECT_EQ(missing->ioCode, io::kFileNotFound);
  EXPECT_EQ(fs.log, std::vector<std::string>{"OpenRead Plocha.dat"});

  // A failed read is reported with its code before the short line is noticed;
  // a broken pipe reads as the end of the file instead.
  for (IoCode code : {io::kAccessDenied, io::kBrokenPipe}) {
    MemoryFileSystem faulty;
    faulty.files["Plocha.dat"] = PositionText(Sample());
    faulty.fault = [code](testing::FileStep step, const std::string&, int index) {
      return step == testing::FileStep::Read && index == 1 ? std::optional<IoCode>(code)
                                                           : std::nullopt;
    };
    RunState reader;
    reader.textFile.Attach(faulty);
    const auto failure = testing::FailureOf([&reader] { ReadPosition(reader); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind,
              code == io::kBrokenPipe ? FailureKind::ERangeError : FailureKind::EInOutError);
    EXPECT_EQ(failure->ioCode, code == io::kBrokenPipe ? 0 : code);
  }
}

}  // namespace
}  // namespace fiverow
