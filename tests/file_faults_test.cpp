// A failure injected at every file step of a run, with several I/O codes: the
// run must stop at that step with EInOutError and the code's message, run
// nothing after it, and leave Tah.dat as the step allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Failures.h"
#include "MemoryFileSystem.h"
#include "engine/Driver.h"
#include "files/GameFiles.h"
#include "runtime/Failure.h"
#include "runtime/FailureReport.h"

namespace fiverow {
namespace {

using testing::FileStep;
using testing::MemoryFileSystem;
using testing::MessageOf;
using testing::RunCatching;
using testing::RunOutcome;

constexpr const char* kTurnBefore = "o\n";
constexpr const char* kExpectedMove = "7,10";

// Three stones of code 1 in row 10 at columns 8..10; "o" in Tah.dat makes
// code 1 the engine's own, so it extends the three at (7, 10).
std::string ThreeInRow() {
  std::string text;
  for (int y = 0; y < kPlaySize; ++y) {
    std::string row(kPlaySize, '-');
    if (y == 10) row.replace(8, 3, "xxx");
    text += row + "\n";
  }
  return text;
}

// One line per read, so the k-th read of Plocha.dat is the read of line k.
constexpr std::size_t kLineBytes = kPlaySize + 1;

MemoryFileSystem GameFiles() {
  MemoryFileSystem files;
  files.files[kPositionFileName] = ThreeInRow();
  files.files[kTurnFileName] = kTurnBefore;
  files.readChunk = kLineBytes;
  return files;
}

struct StepId {
  FileStep step;
  std::string file;
  int index;         // how many steps of this kind this file saw before
  std::string text;  // as the log shows it
};

std::optional<FileStep> StepNamed(const std::string& name) {
  static const std::map<std::string, FileStep> kNames{{"OpenRead", FileStep::OpenRead},
                                                      {"OpenWrite", FileStep::OpenWrite},
                                                      {"Read", FileStep::Read},
                                                      {"Write", FileStep::Write},
                                                      {"Close", FileStep::Close}};
  const auto found = kNames.find(name);
  if (found == kNames.end()) return std::nullopt;
  return found->second;
}

// The steps of a clean run, in order, each with its per-file index.
const std::vector<StepId>& CleanRunSteps() {
  static const std::vector<StepId> steps = [] {
    MemoryFileSystem files = GameFiles();
    RunState state{};
    RunEngine(state, files);
    std::vector<StepId> result;
    std::map<std::string, int> seen;
    for (const std::string& entry : files.log) {
      const std::size_t space = entry.find(' ');
      const std::string name = entry.substr(0, space);
      const std::string file = entry.substr(space + 1);
      result.push_back({StepNamed(name).value(), file, seen[entry]++, entry});
    }
    return result;
  }();
  return steps;
}

// The fault-free run is the baseline every injected fault is measured against.
TEST(CleanRunSteps, OpensOneFileAtATimeInTheRunOrder) {
  std::vector<std::string> expected{"OpenRead Plocha.dat"};
  for (int line = 0; line < kPlaySize; ++line) expected.push_back("Read Plocha.dat");
  expected.insert(expected.end(),
                  {"Close Plocha.dat", "OpenRead Tah.dat", "Read Tah.dat", "Close Tah.dat",
                   "OpenWrite Tah.dat", "Write Tah.dat", "Close Tah.dat"});
  std::vector<std::string> logged;
  for (const StepId& step : CleanRunSteps()) logged.push_back(step.text);
  EXPECT_EQ(logged, expected);

  MemoryFileSystem files = GameFiles();
  RunState state{};
  const RunOutcome outcome = RunCatching(state, files);
  ASSERT_TRUE(outcome.move.has_value());
  EXPECT_EQ(*outcome.move, (Move{7, 10}));
  EXPECT_EQ(files.files[kTurnFileName], kExpectedMove);
  EXPECT_EQ(files.OpenCount(), 0);
}

// ---- A fault at every step, with every code --------------------------------

struct CodeCase {
  IoCode code;
  const char* message;
};

void PrintTo(const CodeCase& codeCase, std::ostream* out) { *out << "code " << codeCase.code; }

constexpr std::array<CodeCase, 5> kCodes{{
    {2, "File not found"},
    {5, "File access denied"},
    {32, "I/O error 32"},
    {112, "I/O error 112"},
    {1117, "I/O error 1117"},
}};

constexpr std::size_t kStepsOfCleanRun = 1 + kPlaySize + 2 + 2 + 3;

class FaultAtEveryStep : public ::testing::TestWithParam<std::tuple<std::size_t, CodeCase>> {};

TEST_P(FaultAtEveryStep, StopsThereWithTheCodeAndLeavesTahDatAsTheStepAllows) {
  const auto& [position, codeCase] = GetParam();
  const std::vector<StepId>& clean = CleanRunSteps();
  ASSERT_EQ(clean.size(), kStepsOfCleanRun);
  const StepId& target = clean[position];

  MemoryFileSystem files = GameFiles();
  files.fault = [&](FileStep step, const std::string& file, int index) -> std::optional<IoCode> {
    if (step == target.step && file == target.file && index == target.index) return codeCase.code;
    return std::nullopt;
  };
  RunState state{};
  const RunOutcome outcome = RunCatching(state, files);

  ASSERT_TRUE(outcome.failure.has_value()) << "the run went on past a failed " << target.text;
  EXPECT_EQ(outcome.failure->kind, FailureKind::EInOutError);
  EXPECT_EQ(outcome.failure->ioCode, codeCase.code);
  EXPECT_EQ(MessageOf(*outcome.failure), codeCase.message);
  const std::string report = FormatFailureReport(*outcome.failure, "fiverow");
  EXPECT_EQ(report.rfind("Exception EInOutError in module fiverow at ", 0), 0u) << report;
  EXPECT_EQ(report.substr(report.find('\n') + 1), std::string(codeCase.message) + ".\r\n");

  // Everything up to the failed step ran as in a clean run; after it, at most
  // the skip to the next line that shares the failed line read's check.
  ASSERT_GE(files.log.size(), position + 1);
  for (std::size_t i = 0; i <= position; ++i) EXPECT_EQ(files.log[i], clean[i].text) << i;
  std::vector<std::string> after(files.log.begin() + static_cast<std::ptrdiff_t>(position) + 1,
                                 files.log.end());
  const bool lineRead = target.step == FileStep::Read && target.file == kPositionFileName;
  if (lineRead) {
    EXPECT_LE(after.size(), 1u);
    for (const std::string& entry : after) EXPECT_EQ(entry, "Read Plocha.dat");
  } else {
    EXPECT_TRUE(after.empty()) << "first step after the failure: " << after.front();
  }

  // Plocha.dat is never written; Tah.dat keeps its content until it is
  // reopened for writing, is empty once the move's write-out fails, and
  // holds the move when only the final close fails.
  EXPECT_EQ(files.files[kPositionFileName], ThreeInRow());
  const std::size_t openWrite = kStepsOfCleanRun - 3;
  if (position <= openWrite) {
    EXPECT_EQ(files.files[kTurnFileName], kTurnBefore);
  } else if (position == openWrite + 1) {
    EXPECT_EQ(files.files[kTurnFileName], "");
    EXPECT_EQ(files.OpenCount(), 1) << "a failed write-out leaves the file open";
  } else {
    EXPECT_EQ(files.files[kTurnFileName], kExpectedMove);
  }

  // Rows after a failed line read are never stored, and nothing is scored
  // before both files are read.
  if (lineRead) {
    for (int y = target.index; y < kPlaySize; ++y) {
      EXPECT_EQ(state.board.cell(8, y), kEmpty);
      EXPECT_EQ(state.board.cell(9, y), kEmpty);
    }
  }
  const bool scored = state.scoreGrid.cell(7, 10) != 0;
  EXPECT_EQ(scored, position >= openWrite);
}

std::string StepCaseName(const ::testing::TestParamInfo<std::tuple<std::size_t, CodeCase>>& info) {
  const auto& [position, codeCase] = info.param;
  const StepId& step = CleanRunSteps()[position];
  std::string name = std::to_string(position) + "_" + step.text + "_" + std::to_string(step.index) +
                     "_code" + std::to_string(codeCase.code);
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(AllStepsAllCodes, FaultAtEveryStep,
                         ::testing::Combine(::testing::Range<std::size_t>(0, kStepsOfCleanRun),
                                            ::testing::ValuesIn(kCodes)),
                         StepCaseName);

// ---- Where a failure is reported -------------------------------------------

// The report's location tells the checks apart: one value per check, shared
// by the twenty line reads that go through the same check.
TEST(FaultLocations, EveryFileCheckHasItsOwnLocation) {
  const std::vector<StepId>& clean = CleanRunSteps();
  std::map<std::string, std::set<CheckLocation>> byCheck;
  std::set<CheckLocation> all;
  for (std::size_t position = 0; position < clean.size(); ++position) {
    const StepId& target = clean[position];
    MemoryFileSystem files = GameFiles();
    files.fault = [&](FileStep step, const std::string& file, int index) -> std::optional<IoCode> {
      if (step == target.step && file == target.file && index == target.index) return 5;
      return std::nullopt;
    };
    RunState state{};
    const RunOutcome outcome = RunCatching(state, files);
    ASSERT_TRUE(outcome.failure.has_value());
    // The write-out and the close of the move share the close's check.
    const bool closeOfMove = position + 2 >= clean.size();
    const std::string check = closeOfMove ? "close of move" : target.text;
    byCheck[check].insert(outcome.failure->location);
    all.insert(outcome.failure->location);
  }
  for (const auto& [check, locations] : byCheck) {
    EXPECT_EQ(locations.size(), 1u) << check << " reports from more than one place";
  }
  EXPECT_EQ(all.size(), byCheck.size()) << "two different checks report the same location";
}

// ---- A broken pipe ends the file -------------------------------------------

MemoryFileSystem WithBrokenPipeAt(FileStep brokenStep, const char* brokenFile, int brokenIndex) {
  MemoryFileSystem files = GameFiles();
  files.fault = [=](FileStep step, const std::string& file, int index) -> std::optional<IoCode> {
    if (step == brokenStep && file == brokenFile && index == brokenIndex) return io::kBrokenPipe;
    return std::nullopt;
  };
  return files;
}

TEST(BrokenPipe, AfterTheLastRowReadsAsTheEndOfTheFile) {
  // Without a final LF the last row's read asks for more and meets the pipe.
  MemoryFileSystem files = WithBrokenPipeAt(FileStep::Read, kPositionFileName, kPlaySize);
  std::string position = ThreeInRow();
  position.pop_back();
  files.files[kPositionFileName] = position;
  RunState state{};
  const RunOutcome outcome = RunCatching(state, files);
  ASSERT_TRUE(outcome.move.has_value()) << MessageOf(*outcome.failure);
  EXPECT_EQ(files.files[kTurnFileName], kExpectedMove);
  EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "Read Plocha.dat"), kPlaySize + 1);
}

TEST(BrokenPipe, BeforeARowIsAMissingRowNotAnIoFailure) {
  MemoryFileSystem files = WithBrokenPipeAt(FileStep::Read, kPositionFileName, 7);
  RunState state{};
  const RunOutcome outcome = RunCatching(state, files);
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_EQ(outcome.failure->kind, FailureKind::ERangeError);
  EXPECT_EQ(MessageOf(*outcome.failure), "Range check error");
  EXPECT_EQ(files.files[kTurnFileName], kTurnBefore);
  // The pipe stays ended: the skip to the next line reads nothing more.
  EXPECT_EQ(std::count(files.log.begin(), files.log.end(), "Read Plocha.dat"), 8);
}

TEST(BrokenPipe, OnTheTurnFileIsAnEmptyTurnFile) {
  MemoryFileSystem files = WithBrokenPipeAt(FileStep::Read, kTurnFileName, 0);
  RunState state{};
  const RunOutcome outcome = RunCatching(state, files);
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_EQ(outcome.failure->kind, FailureKind::ERangeError);
  EXPECT_EQ(files.files[kTurnFileName], kTurnBefore);
}

// ---- Codes that reach the report unchanged ---------------------------------

// A failed read followed by a successful one in the same statement still
// fails: a later success never clears a stored code.
TEST(StoredIoCode, SurvivesASuccessfulStepBeforeTheCheck) {
  MemoryFileSystem files = GameFiles();
  files.readChunk = 5;  // the first line takes several reads
  files.fault = [](FileStep step, const std::string& file, int index) -> std::optional<IoCode> {
    if (step == FileStep::Read && file == kPositionFileName && index == 1) return 32;
    return std::nullopt;
  };
  RunState state{};
  const RunOutcome outcome = RunCatching(state, files);
  ASSERT_TRUE(outcome.failure.has_value());
  EXPECT_EQ(outcome.failure->ioCode, 32);
  EXPECT_EQ(files.files[kTurnFileName], kTurnBefore);
}

TEST(StoredIoCode, IsClearedByTheCheckThatRaisesIt) {
  MemoryFileSystem files = GameFiles();
  files.fault = [](FileStep step, const std::string&, int) -> std::optional<IoCode> {
    if (step == FileStep::OpenRead) return 5;
    return std::nullopt;
  };
  RunState state{};
  RunCatching(state, files);
  EXPECT_EQ(state.textFile.ioResult, io::kOk);
}

}  // namespace
}  // namespace fiverow
