// The command line as every tool reads it: CLI11 with mistakes as usage
// errors for people, one layout of the help, -h/--help and --version.
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/Asked.h"
#include "common/UsageError.h"

namespace fiverow::tools {

// The help as the tools write it: the usage lines, what the tool does, the
// options with their descriptions in a column, then the footer.
class HelpFormatter final : public CLI::Formatter {
 public:
  HelpFormatter(std::string usage, std::size_t column);
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override;

 private:
  std::string usage_;
};

// Adds an option that takes one value, shown as `value` in the help and
// handed to `read` with the option's name; given twice, the last counts.
CLI::Option* AddOption(CLI::App& app, const std::string& name, const std::string& value,
                       const std::string& help,
                       std::function<void(const std::string& name, const std::string& text)> read);

// Gives `app` the tools' help layout and, listed last, -h/--help and
// --version; `usage` is the help's first lines, without their line end.
void FinishCommandLine(CLI::App& app, const std::string& usage, std::size_t column);

// Reads `args` (without the program's name). Throws UsageError for a mistake.
Asked ParseCommandLine(CLI::App& app, const std::vector<std::string>& args);

// Writes `text` to standard output: 0, or 1 after saying on standard error
// that standard output could not take it.
int WriteAnswer(const std::string& program, const std::string& text);

}  // namespace fiverow::tools
