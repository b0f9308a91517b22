// Running the tools as a user would, for end-to-end tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace fiverow::testing {

struct ToolResult {
  int status = -1;  // exit status, or -1 if killed by a signal
  std::string out;
  std::string err;
  double seconds = 0.0;
};

// Runs `argv` in `folder` (the current one if empty) with the extra
// environment variables, and waits for it.
ToolResult RunTool(const std::vector<std::string>& argv, const std::string& folder = "",
                   const std::map<std::string, std::string>& env = {});

// The same with stdout and stderr both on a new pseudo-terminal; `out` holds
// everything the terminal showed.
ToolResult RunToolOnTerminal(const std::vector<std::string>& argv, const std::string& folder = "",
                             const std::map<std::string, std::string>& env = {});

// True while a process with this id exists (and is not a zombie).
bool ProcessAlive(int pid);

}  // namespace fiverow::testing
