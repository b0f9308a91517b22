// An engine's command line, split into words the way a shell would for simple
// quoting, and resolved the way a shell would, but independently of the
// folder the engine runs in.
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

// The words to run, or nothing and why. The engine runs in a folder of its
// own, so the program word, when it holds a slash, is made absolute against
// `workingDir`, and otherwise is looked up in `searchPath` (PATH: folders
// separated by colons, an empty one meaning the current folder), taking the
// first executable regular file. Other words pass unchanged, except words
// with a slash that name an existing file or folder, which are made
// absolute too. `workingDir` is empty when the current folder is unknown.
std::optional<std::vector<std::string>> ResolveCommand(std::vector<std::string> words,
                                                       const std::string& workingDir,
                                                       std::string_view searchPath,
                                                       std::string& error);

}  // namespace fiverow::match
