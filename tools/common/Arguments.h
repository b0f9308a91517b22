// Command-line reading shared by the tools: options as "--name value",
// "--name=value" or plain flags, and everything else as operands.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fiverow::tools {

// A mistake on the command line, with a message for people (exit status 2).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Arguments {
 public:
  explicit Arguments(const std::vector<std::string>& args) : args_(args) {}

  // Moves to the next argument; false when there is none.
  bool Next();
  // The current argument, without a value attached to it by "=".
  const std::string& Name() const { return name_; }
  // Whether the current argument is an option rather than an operand.
  bool IsOption() const { return name_.size() > 1 && name_.front() == '-'; }
  // The option's value: the attached one, else the next argument.
  std::string Value();
  // Throws if the current option, a flag, was given a value.
  void NoValue() const;

 private:
  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  std::string name_;
  std::optional<std::string> attached_;
};

}  // namespace fiverow::tools
