#include "runtime/Failure.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace fiverow {

void Raise(FailureKind kind, Int32 ioCode, const SourceSite& where) {
  throw RunFailure{kind, ioCode, LocationOf(where)};
}

const char* KindName(FailureKind kind) {
  switch (kind) {
    case FailureKind::ERangeError: return "ERangeError";
    case FailureKind::EIntOverflow: return "EIntOverflow";
    case FailureKind::EInOutError: return "EInOutError";
    case FailureKind::EBoardFull: return "EBoardFull";
  }
  return "Exception";
}

namespace {

struct IoMessage {
  Int32 code;
  std::string_view text;
};

// I/O codes with a message of their own, looked up in this order. 2 to 5 are
// system error codes. 100, 101 and 106 are not: they are the run-time
// library's own I/O codes (reading past the end, a full disk, bad numeric
// input), kept beside the system codes and reported the same way.
constexpr std::array<IoMessage, 7> kIoMessages{{
    {2, "File not found"},
    {3, "Invalid filename"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {100, "Read beyond end of file"},
    {101, "Disk full"},
    {106, "Invalid numeric input"},
}};

void CopyText(std::string_view text, char* out, unsigned capacity) {
  if (capacity == 0) return;
  const std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  text.copy(out, n);
  out[n] = '\0';
}

}  // namespace

void FormatMessage(const RunFailure& failure, char* out, unsigned capacity) {
  switch (failure.kind) {
    case FailureKind::ERangeError: return CopyText("Range check error", out, capacity);
    case FailureKind::EIntOverflow: return CopyText("Integer overflow", out, capacity);
    case FailureKind::EBoardFull: return CopyText("Board is full", out, capacity);
    case FailureKind::EInOutError: break;
  }
  for (const IoMessage& entry : kIoMessages) {
    if (entry.code == failure.ioCode) return CopyText(entry.text, out, capacity);
  }
  std::snprintf(out, capacity, "I/O error %d", static_cast<int>(failure.ioCode));
}

}  // namespace fiverow
