// An engine's command line, split into words the way a shell would for simple
// quoting, with its paths made independent of the folder it runs in.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fiverow::match {

// Splits at blanks; single quotes keep everything literally, double quotes
// keep blanks, and a backslash outside single quotes keeps the next character.
// Fails on an unclosed quote or an empty command.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text, std::string& error);

// The engine runs in a folder of its own, so every word that names an existing
// file or folder relative to `workingDir` is made absolute. Other words, such
// as a program looked up on PATH, are kept as they are.
std::vector<std::string> AnchorPaths(std::vector<std::string> words, const std::string& workingDir);

}  // namespace fiverow::match
