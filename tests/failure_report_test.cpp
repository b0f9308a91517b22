// The failure report: its exact bytes, messages, module name and location.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Boards.h"
#include "Failures.h"
#include "MemoryFileSystem.h"
#include "runtime/Checked.h"
#include "runtime/FailureReport.h"

namespace fiverow {
namespace {

std::string Report(FailureKind kind, Int32 ioCode, CheckLocation location = 0xABCD) {
  return FormatFailureReport(RunFailure{kind, ioCode, location}, "fiverow");
}

TEST(FailureReport, ExactBytes) {
  EXPECT_EQ(Report(FailureKind::EInOutError, 2),
            "Exception EInOutError in module fiverow at 0000ABCD.\nFile not found.\r\n");
  EXPECT_EQ(Report(FailureKind::ERangeError, 0, 0),
            "Exception ERangeError in module fiverow at 00000000.\nRange check error.\r\n");
  EXPECT_EQ(FormatFailureReport({FailureKind::EIntOverflow, 0, 0xfedcba98u}, "a.exe"),
            "Exception EIntOverflow in module a.exe at FEDCBA98.\nInteger overflow.\r\n");
}

TEST(FailureReport, MessageForEveryFailure) {
  struct Case {
    FailureKind kind;
    Int32 ioCode;
    const char* messageLine;
  };
  const Case cases[] = {
      {FailureKind::ERangeError, 0, "Range check error.\r\n"},
      {FailureKind::EIntOverflow, 0, "Integer overflow.\r\n"},
      {FailureKind::EBoardFull, 0, "Board is full.\r\n"},
      {FailureKind::EInOutError, 2, "File not found.\r\n"},
      {FailureKind::EInOutError, 3, "Invalid filename.\r\n"},
      {FailureKind::EInOutError, 4, "Too many open files.\r\n"},
      {FailureKind::EInOutError, 5, "File access denied.\r\n"},
      {FailureKind::EInOutError, 100, "Read beyond end of file.\r\n"},
      {FailureKind::EInOutError, 101, "Disk full.\r\n"},
      {FailureKind::EInOutError, 106, "Invalid numeric input.\r\n"},
      {FailureKind::EInOutError, 32, "I/O error 32.\r\n"},
      {FailureKind::EInOutError, 112, "I/O error 112.\r\n"},
      {FailureKind::EInOutError, 1, "I/O error 1.\r\n"},
      {FailureKind::EInOutError, -1, "I/O error -1.\r\n"},
      {FailureKind::EInOutError, INT32_MIN, "I/O error -2147483648.\r\n"},
  };
  for (const Case& c : cases) {
    const std::string report = Report(c.kind, c.ioCode);
    EXPECT_EQ(report.substr(report.find('\n') + 1), c.messageLine);
  }
  EXPECT_EQ(Report(FailureKind::EBoardFull, 0).substr(0, 32), "Exception EBoardFull in module f");
}

TEST(FailureReport, ModuleNameIsTheLastPathComponent) {
  EXPECT_EQ(ModuleNameOf("/usr/local/bin/fiverow"), "fiverow");
  EXPECT_EQ(ModuleNameOf("C:\\Games\\fiverow.exe"), "fiverow.exe");
  EXPECT_EQ(ModuleNameOf("C:\\a/b\\c/five row.exe"), "five row.exe");
  EXPECT_EQ(ModuleNameOf("fiverow"), "fiverow");
  EXPECT_EQ(ModuleNameOf("/dir/"), "");
  const std::string longName(300, 'n');
  EXPECT_EQ(ModuleNameOf("/x/" + longName), longName.substr(0, kMaxModuleName));

  const std::string running = RunningModuleName();
  EXPECT_FALSE(running.empty());
  EXPECT_EQ(running.find_first_of("/\\"), std::string::npos);
}

std::optional<RunFailure> RunFailureOf(const std::string& position, const std::string& turn) {
  testing::MemoryFileSystem fs;
  fs.files["Plocha.dat"] = position;
  fs.files["Tah.dat"] = turn;
  return testing::RunFailureOf(fs);
}

TEST(FailureLocation, SameCheckSameLocationOtherCheckOtherLocation) {
  // Each call site of a check is its own check.
  std::optional<RunFailure> first;
  std::optional<RunFailure> second;
  for (auto* slot : {&first, &second}) {
    *slot = testing::FailureOf([] { CheckedAdd(INT32_MAX, 1); });
  }
  const auto elsewhere = testing::FailureOf([] { CheckedAdd(INT32_MAX, 1); });
  ASSERT_TRUE(first && second && elsewhere);
  EXPECT_EQ(first->location, second->location);
  EXPECT_NE(first->location, elsewhere->location);

  // Through whole runs: short position lines in different rows fail at the
  // same check, an empty turn file at another one.
  const std::string good = testing::PositionText(testing::EmptyRows());
  const auto shortRow4 = RunFailureOf(std::string(good).erase(21 * 4, 1), "o");
  const auto shortRow9 = RunFailureOf(std::string(good).erase(21 * 9 + 3, 1), "o");
  const auto emptyTurn = RunFailureOf(good, "");
  ASSERT_TRUE(shortRow4 && shortRow9 && emptyTurn);
  EXPECT_EQ(shortRow4->location, shortRow9->location);
  EXPECT_NE(shortRow4->location, emptyTurn->location);
  EXPECT_EQ(shortRow4->kind, emptyTurn->kind);
}

}  // namespace
}  // namespace fiverow
