// Failures that end a run: their kinds, messages and check locations.
#pragma once

#include <cstdint>
#include "runtime/SourceSite.h"

#include "core/UTypes.h"

namespace fiverow {

enum class FailureKind : std::uint8_t {
  ERangeError,   // an array or character index outside its range
  EIntOverflow,  // a signed 32-bit result outside its range
  EInOutError,   // a failed file step, with its I/O code
  EBoardFull,    // no empty cell left to play
};

// A stable value that tells check sites apart: a hash of the file name, line
// and column of the check. The same check always yields the same value.
using CheckLocation = std::uint32_t;

constexpr CheckLocation LocationOf(const SourceSite& where) {
  // FNV-1a over the file's last path component, then the line and column.
  const char* name = where.file_name();
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  std::uint32_t hash = 2166136261u;
  auto mix = [&hash](std::uint32_t byte) {
    hash ^= byte;
    hash *= 16777619u;
  };
  for (const char* p = name; *p != '\0'; ++p) mix(static_cast<unsigned char>(*p));
  for (std::uint32_t value : {where.line(), where.column()}) {
    for (int shift = 0; shift < 32; shift += 8) mix((value >> shift) & 0xFFu);
  }
  return hash;
}

// The one thing a run throws. Nothing inside the run catches it; the program's
// entry point turns it into the failure report and exit status 1.
struct RunFailure {
  FailureKind kind;
  Int32 ioCode;  // the I/O code for EInOutError, else 0
  CheckLocation location;
};

[[noreturn]] void Raise(FailureKind kind, Int32 ioCode, const SourceSite& where);

// The kind's name as the report prints it, e.g. "ERangeError".
const char* KindName(FailureKind kind);

// The report's message: "Range check error", "File not found", "I/O error 32"...
// Writes at most `capacity` bytes including the terminating NUL into `out`.
void FormatMessage(const RunFailure& failure, char* out, unsigned capacity);

}  // namespace fiverow
