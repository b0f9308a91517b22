#include "common/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>

#include "common/Version.h"

namespace fiverow::tools {

namespace {

std::string Indented(const std::string& text, std::size_t width) {
  std::string indented;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    indented += std::string(width, ' ') + text.substr(at, end - at) + "\n";
    at = end + 1;
  }
  return indented;
}

}  // namespace

HelpFormatter::HelpFormatter(std::string usage, std::size_t column) : usage_(std::move(usage)) {
  column_width(column);
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const {
  std::string help = usage_ + "\n\n" + app->get_description() + "\n\nOptions:\n";
  for (const CLI::Option* option : app->get_options()) {
    if (option->get_positional()) continue;
    std::string names = option->get_name(false, true);
    for (std::size_t comma = names.find(','); comma != std::string::npos;
         comma = names.find(',', comma + 2))
      names.insert(comma + 1, 1, ' ');
    names.insert(0, 2, ' ');
    if (option->get_type_size() != 0) names.append(1, ' ').append(option->get_type_name());
    const std::string description = option->get_description();
    if (names.size() + 2 > column_width_) {
      help += names + "\n" + Indented(description, column_width_);
    } else {
      names.resize(column_width_, ' ');
      help += names + Indented(description, column_width_).substr(column_width_);
    }
  }
  return help + "\n" + app->get_footer() + "\n";
}

CLI::Option* AddOption(CLI::App& app, const std::string& name, const std::string& value,
                       const std::string& help,
                       std::function<void(const std::string& name, const std::string& text)> read) {
  return app
      .add_option_function<std::string>(
          name, [name, read](const std::string& text) { read(name, text); }, help)
      ->type_name(value)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void FinishCommandLine(CLI::App& app, const std::string& usage, std::size_t column) {
  app.formatter(std::make_shared<HelpFormatter>(usage, column));
  app.set_help_flag("-h,--help", "show this help");
  app.set_version_flag("--version", VersionText(app.get_name()), "show the version");
}

Asked ParseCommandLine(CLI::App& app, const std::vector<std::string>& args) {
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // as CLI11 takes them
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return Asked::kHelp;
  } catch (const CLI::CallForVersion&) {
    return Asked::kVersion;
  } catch (const CLI::ParseError& error) {
    throw UsageError(error.what());
  }
  return Asked::kRun;
}

int WriteAnswer(const std::string& program, const std::string& text) {
  if (std::cout << text << std::flush) return 0;
  std::cerr << program << ": cannot write to standard output: " << std::strerror(errno) << "\n";
  return 1;
}

}  // namespace fiverow::tools
