// Command lines as Windows programs parse them (the rules of the C runtime
// and CommandLineToArgvW), and how an engine's program is started.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fiverow::match {

// `word` quoted so that a program's runtime reads it back unchanged: spaces,
// tabs and quotes inside quotes, backslashes doubled only before a quote.
std::wstring QuotedArgument(std::wstring_view word);

// The command line that starts `argv` (UTF-8; argv[0] a path): its words
// quoted and joined. A .bat or .cmd file runs through cmd.exe (/s: the outer
// quotes dropped, the rest taken as it is), its words quoted as cmd.exe reads
// them: between quotes, only % kept from expanding. `application` is the program
// to start.
struct StartLine {
  std::wstring application;
  std::wstring commandLine;
};
StartLine StartLineFor(const std::vector<std::string>& argv);

// Where Windows users expect a program named without a folder: beside the
// referee (`ownFolder`), in the working folder, then on PATH, with `.exe`
// added when the name has no extension. Empty when found nowhere.
std::string FindProgram(const std::string& name, const std::string& ownFolder);

}  // namespace fiverow::match
