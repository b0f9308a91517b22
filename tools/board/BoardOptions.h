// fiverow-board's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Arguments.h"

namespace fiverow::board {

struct BoardOptions {
  bool help = false;
  std::vector<std::string> engineCommands;  // as fiverow-match takes them; none: fiverow
  std::optional<std::string> watchFile;     // a match's events to follow
  std::optional<std::string> replayFile;    // a game record to step through
  std::string listen = "127.0.0.1";
  bool listenGiven = false;
  int port = 0;  // 0: a free one
  double timeLimit = 5.0;
  std::optional<double> matchTime;
  double startTime = 30;
  double timeMargin = 0.1;
  std::optional<std::uint64_t> maxMemoryMB;
};

using UsageError = tools::UsageError;

// Throws UsageError with a message for people.
BoardOptions ParseBoardOptions(const std::vector<std::string>& args);

extern const char* const kBoardHelp;

}  // namespace fiverow::board
