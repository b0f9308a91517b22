// The platform's console and process facts the failure report needs.
#pragma once

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

// Writes raw bytes to the standard output handle, ignoring errors.
void WriteToStandardOutput(std::string_view bytes);

}  // namespace fiverow
