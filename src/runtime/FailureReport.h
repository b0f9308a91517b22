// The failure report: the only text fiverow ever writes to the console.
#pragma once

#include <string>
#include <string_view>

#include "runtime/Failure.h"

namespace fiverow {

inline constexpr std::size_t kMaxModuleName = 260;

// "Exception <kind> in module <module> at <location>.\n<message>." followed by
// CR LF. The location is eight upper-case hex digits.
std::string FormatFailureReport(const RunFailure& failure, std::string_view moduleName);

// The last component of a path, after the last '/' or '\', at most 260 bytes.
std::string_view ModuleNameOf(std::string_view path);

// The running program's own file name, as the report shows it.
std::string RunningModuleName();

// Writes the report to the standard output handle as raw bytes; write errors
// are ignored.
void WriteFailureReport(const RunFailure& failure);

}  // namespace fiverow
