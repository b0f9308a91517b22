// The platform's console and process facts: what the failure report needs, and
// the standard streams the line protocol runs over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fiverow {

// The running program's full path as the platform reports it; empty if unknown.
std::string OwnExecutablePath();

// Makes a write that cannot be done fail with an error code, as every other
// failed write does, instead of ending the process by a signal (on POSIX:
// SIGPIPE for a pipe whose reader has gone, SIGXFSZ over the file-size
// limit). Nothing to do on Windows.
void KeepWriteFailuresAsErrors();

// Writes raw bytes to the standard output handle, unbuffered, so they are on
// their way when it returns. False when they could not all be written (the
// reader has gone, the handle is closed); callers may ignore that.
bool WriteToStandardOutput(std::string_view bytes);

// Reads what standard input holds, up to `capacity` bytes, waiting only until
// there is at least one byte. Returns the count; 0 at the end of the input or
// when it cannot be read.
std::size_t ReadFromStandardInput(char* buffer, std::size_t capacity);

}  // namespace fiverow
