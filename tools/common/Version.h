// fiverow's version, as its CMakeLists.txt gives it.
#pragma once

#include <string>

namespace fiverow::tools {

extern const char* const kFiverowVersion;

// "fiverow-match 1.0.0" and a line end: the program and fiverow's version.
std::string VersionText(const std::string& program);

}  // namespace fiverow::tools
