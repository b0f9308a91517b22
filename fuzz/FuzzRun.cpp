// Fuzz target: one whole run in-process on arbitrary bytes of Plocha.dat and
// Tah.dat, optionally with a failing file step, checked against a plain
// reference reading of the same bytes. The outcome must be a move on an empty
// cell written as "x,y", or a failure of a known kind with its message; any
// other outcome aborts.
//
// Input layout: four header bytes, then the files.
//   [0] read size of the file layer: 1..255 bytes, 0 for 64 KiB
//   [1] length of Tah.dat, taken from the end of the input
//   [2] failing step: 0 none, else the (n-1)-th step of the clean run (mod)
//   [3] low 4 bits: the failing step's code (from kFaultCodes);
//       bit 7: no Plocha.dat; bit 6: no Tah.dat
// Missing header bytes count as 0.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Failures.h"
#include "MemoryFileSystem.h"
#include "engine/Driver.h"
#include "files/GameFiles.h"
#include "files/PositionReader.h"
#include "files/TurnFile.h"
#include "runtime/Failure.h"
#include "runtime/FailureReport.h"

namespace fiverow {
namespace {

using testing::FileStep;
using testing::MemoryFileSystem;
using testing::RunOutcome;

constexpr IoCode kFaultCodes[] = {2, 3, 4, 5, 6, 32, 100, 101, 106, io::kBrokenPipe, 112, 1117};
constexpr std::size_t kFaultCodeCount = sizeof kFaultCodes / sizeof kFaultCodes[0];

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fiverow fuzz: %s %s\n", what, detail.c_str());
  std::abort();
}

void Require(bool holds, const char* what, const std::string& detail = {}) {
  if (!holds) Fail(what, detail);
}

// ---- The reference: the file rules read as plainly as possible ------------

struct Expected {
  std::optional<FailureKind> failure;  // none: a move
  IoCode ioCode = 0;
  Board board{};
  Int32 emptyCount = 0;
  CellCode ownCode = kEmpty;
};

// The next line from `pos`: bytes up to LF or the end, CRs left out.
std::string NextLine(std::string_view file, std::size_t& pos) {
  std::string line;
  while (pos < file.size() && file[pos] != '\n') {
    if (file[pos] != '\r') line += file[pos];
    ++pos;
  }
  if (pos < file.size()) ++pos;  // the LF
  return line;
}

// A Ctrl-Z as the first byte makes the file read as empty.
std::string_view Readable(std::string_view file) {
  return !file.empty() && file[0] == '\x1a' ? std::string_view{} : file;
}

Expected Reference(const std::optional<std::string>& plocha,
                   const std::optional<std::string>& tah) {
  Expected expected;
  if (!plocha) {
    expected.failure = FailureKind::EInOutError;
    expected.ioCode = io::kFileNotFound;
    return expected;
  }
  const std::string_view position = Readable(*plocha);
  std::size_t pos = 0;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    const std::string line = NextLine(position, pos);
    if (line.size() < static_cast<std::size_t>(kPlaySize)) {
      expected.failure = FailureKind::ERangeError;
      return expected;
    }
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const char c = line[static_cast<std::size_t>(x)];
      expected.board.cell(x, y) = c == '-' ? kEmpty : c == 'o' ? kCodeO : kCodeOther;
      if (c == '-') ++expected.emptyCount;
    }
  }
  if (!tah) {
    expected.failure = FailureKind::EInOutError;
    expected.ioCode = io::kFileNotFound;
    return expected;
  }
  std::size_t turnPos = 0;
  const std::string first = NextLine(Readable(*tah), turnPos);
  if (first.empty()) {
    expected.failure = FailureKind::ERangeError;
    return expected;
  }
  expected.ownCode = first[0] == 'o' ? kCodeOther : kCodeO;
  if (expected.emptyCount == 0) expected.failure = FailureKind::EBoardFull;
  return expected;
}

// ---- Running the engine ----------------------------------------------------

struct Input {
  std::size_t readChunk = 0;
  std::uint8_t faultStep = 0;
  IoCode faultCode = 0;
  std::optional<std::string> plocha;
  std::optional<std::string> tah;
};

Input Split(const std::uint8_t* data, std::size_t size) {
  std::uint8_t header[4] = {0, 0, 0, 0};
  const std::size_t headerSize = size < 4 ? size : 4;
  std::memcpy(header, data, headerSize);
  const std::string_view body(reinterpret_cast<const char*>(data) + headerSize, size - headerSize);
  const std::size_t turnSize = header[1] < body.size() ? header[1] : body.size();

  Input input;
  input.readChunk = header[0] == 0 ? std::size_t{64} * 1024 : header[0];
  input.faultStep = header[2];
  input.faultCode = kFaultCodes[(header[3] & 0x0F) % kFaultCodeCount];
  if ((header[3] & 0x80) == 0) input.plocha = std::string(body.substr(0, body.size() - turnSize));
  if ((header[3] & 0x40) == 0) input.tah = std::string(body.substr(body.size() - turnSize));
  return input;
}

struct Fault {
  FileStep step;
  std::string file;
  int index;
  IoCode code;
};

MemoryFileSystem FilesFor(const Input& input) {
  MemoryFileSystem files;
  if (input.plocha) files.files[kPositionFileName] = *input.plocha;
  if (input.tah) files.files[kTurnFileName] = *input.tah;
  files.readChunk = input.readChunk;
  return files;
}

const char* ExpectedMessage(FailureKind kind, IoCode code, char* buffer, std::size_t size) {
  switch (kind) {
    case FailureKind::ERangeError: return "Range check error";
    case FailureKind::EIntOverflow: return "Integer overflow";
    case FailureKind::EBoardFull: return "Board is full";
    case FailureKind::EInOutError: break;
  }
  switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: std::snprintf(buffer, size, "I/O error %d", static_cast<int>(code)); return buffer;
  }
}

void CheckFailure(const RunFailure& failure, FailureKind kind, IoCode code) {
  Require(failure.kind == kind, "wrong failure kind", KindName(failure.kind));
  Require(failure.ioCode == (kind == FailureKind::EInOutError ? code : 0), "wrong I/O code",
          std::to_string(failure.ioCode));
  char expectedBuffer[32];
  const std::string expected = ExpectedMessage(kind, code, expectedBuffer, sizeof expectedBuffer);
  char message[64];
  FormatMessage(failure, message, sizeof message);
  Require(expected == message, "wrong message", message);
  const std::string report = FormatFailureReport(failure, "fiverow");
  const std::string head = std::string("Exception ") + KindName(kind) + " in module fiverow at ";
  Require(report.compare(0, head.size(), head) == 0, "wrong report", report);
  Require(report.size() == head.size() + 10 + expected.size() + 3, "wrong report size", report);
  Require(report.substr(head.size() + 8) == ".\n" + expected + ".\r\n", "wrong report", report);
}

// A successful run: the move is the first empty cell with the highest score
// (the centre on an empty board), written as "x,y" and nothing else.
void CheckMove(const Move& move, const RunState& state, const Expected& expected,
               const MemoryFileSystem& files) {
  Require(state.board.cells == expected.board.cells, "board differs from the file");
  Require(state.emptyCount == expected.emptyCount, "wrong empty count");
  Require(state.ownCode == expected.ownCode, "wrong own code");
  Require(move.x >= 0 && move.x < kPlaySize && move.y >= 0 && move.y < kPlaySize,
          "move outside the board");
  Require(expected.board.cell(move.x, move.y) == kEmpty, "move on an occupied cell");

  Move best{-1, -1};
  Int32 bestScore = -1;
  for (Int32 y = 0; y < kPlaySize; ++y) {
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const Int32 score = state.scoreGrid.cell(x, y);
      if (expected.board.cell(x, y) != kEmpty) {
        Require(score == 0, "occupied cell scored");
        continue;
      }
      Require(score >= 0 && score < 2'000'000, "score out of range");
      if (score > bestScore) {
        bestScore = score;
        best = {x, y};
      }
    }
  }
  const Move wanted = expected.emptyCount == kPlayCells ? kOpeningMove : best;
  Require(move == wanted, "not the first best empty cell");

  const std::string& text = files.files.at(kTurnFileName);
  Require(text.size() >= 3 && text.size() <= 5, "move text of wrong size", text);
  Require(text == std::to_string(move.x) + "," + std::to_string(move.y), "wrong move text", text);
  Require(files.OpenCount() == 0, "a file left open");
}

void CheckOutcome(const RunOutcome& outcome, const RunState& state, const Expected& expected,
                  const MemoryFileSystem& files, const std::optional<std::string>& tahBefore) {
  if (expected.failure) {
    Require(outcome.failure.has_value(), "a move where a failure was due");
    CheckFailure(*outcome.failure, *expected.failure, expected.ioCode);
    // Every failure of the reference comes before Tah.dat is reopened.
    Require(files.files.contains(kTurnFileName) == tahBefore.has_value(), "Tah.dat created");
    if (tahBefore) Require(files.files.at(kTurnFileName) == *tahBefore, "Tah.dat changed");
    return;
  }
  if (outcome.failure) {
    char message[64];
    FormatMessage(*outcome.failure, message, sizeof message);
    Fail("a failure where a move was due:", message);
  }
  CheckMove(*outcome.move, state, expected, files);
}

std::optional<FileStep> StepNamed(std::string_view name) {
  if (name == "OpenRead") return FileStep::OpenRead;
  if (name == "OpenWrite") return FileStep::OpenWrite;
  if (name == "Read") return FileStep::Read;
  if (name == "Write") return FileStep::Write;
  if (name == "Close") return FileStep::Close;
  return std::nullopt;
}

// The `position`-th step of a logged run, with its per-file index.
Fault FaultAt(const std::vector<std::string>& log, std::size_t position, IoCode code) {
  int index = 0;
  for (std::size_t i = 0; i < position; ++i) index += log[i] == log[position];
  const std::string& entry = log[position];
  const std::size_t space = entry.find(' ');
  const std::optional<FileStep> step = StepNamed(std::string_view(entry).substr(0, space));
  if (!step) Fail("unknown step in the log", entry);
  return {*step, entry.substr(space + 1), index, code};
}

// The same files with one step failing. A broken pipe on a read ends that
// file where the read began; any other code ends the run with EInOutError
// right there, and Tah.dat is as far as the run got with it.
void RunWithFault(const Input& input, const std::vector<std::string>& cleanLog) {
  const std::size_t position = (input.faultStep - 1u) % cleanLog.size();
  const Fault fault = FaultAt(cleanLog, position, input.faultCode);

  MemoryFileSystem files = FilesFor(input);
  files.fault = [&](FileStep step, const std::string& file, int index) -> std::optional<IoCode> {
    if (step == fault.step && file == fault.file && index == fault.index) return fault.code;
    return std::nullopt;
  };
  RunState state{};
  const RunOutcome outcome = testing::RunCatching(state, files);

  if (fault.step == FileStep::Read && fault.code == io::kBrokenPipe) {
    Input cut = input;
    std::optional<std::string>& file = fault.file == kPositionFileName ? cut.plocha : cut.tah;
    const std::size_t kept = static_cast<std::size_t>(fault.index) * input.readChunk;
    if (kept < file->size()) file->resize(kept);
    CheckOutcome(outcome, state, Reference(cut.plocha, cut.tah), files, input.tah);
    return;
  }

  Require(outcome.failure.has_value(), "the run went on past a failed step", cleanLog[position]);
  CheckFailure(*outcome.failure, FailureKind::EInOutError, fault.code);
  Require(files.log.size() >= position + 1, "the log is shorter than the failed step");
  for (std::size_t i = 0; i <= position; ++i) {
    Require(files.log[i] == cleanLog[i], "steps before the failure differ", files.log[i]);
  }
  for (std::size_t i = position + 1; i < files.log.size(); ++i) {
    // Only the skip to the next line shares a failed line read's check.
    Require(fault.step == FileStep::Read && files.log[i] == cleanLog[position],
            "a step ran after the failure", files.log[i]);
  }
  // Tah.dat is reopened only by a run that got as far as its move.
  std::size_t openWrite = cleanLog.size();
  for (std::size_t i = 0; i < cleanLog.size(); ++i) {
    if (cleanLog[i] == "OpenWrite Tah.dat") openWrite = i;
  }
  const std::string& tah = files.files[kTurnFileName];
  if (position <= openWrite) {
    Require(tah == input.tah.value_or(""), "Tah.dat changed before its reopening");
  } else if (position == openWrite + 1) {
    Require(tah.empty(), "Tah.dat not empty after a failed write-out");
  }
}

}  // namespace
}  // namespace fiverow

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fiverow;
  const Input input = Split(data, size);

  MemoryFileSystem files = FilesFor(input);
  RunState state{};
  const RunOutcome outcome = testing::RunCatching(state, files);
  const Expected expected = Reference(input.plocha, input.tah);
  CheckOutcome(outcome, state, expected, files, input.tah);

  if (input.faultStep != 0 && !files.log.empty()) RunWithFault(input, files.log);
  return 0;
}
