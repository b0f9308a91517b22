// The platform's console and process facts the failure report needs.
#pragma once

#include <string>
#include <string_view>

namespace fiverow {

// The running program's full path as the platform reports it; empty if unknown.
std::string OwnExecutablePath();

// Writes raw bytes to the standard output handle, ignoring errors.
void WriteToStandardOutput(std::string_view bytes);

}  // namespace fiverow
