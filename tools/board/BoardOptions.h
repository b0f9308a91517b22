// fiverow-board's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/Asked.h"
#include "common/UsageError.h"
#include "game/TimeControl.h"
#include "players/EngineLimits.h"

namespace fiverow::board {

struct BoardOptions {
  tools::Asked asked = tools::Asked::kRun;
  std::vector<std::string> engineCommands;  // as fiverow-match takes them; none: fiverow
  std::optional<std::string> watchFile;     // a match's events to follow
  std::optional<std::string> replayFile;    // a game record to step through
  std::string listen = "127.0.0.1";
  int port = 0;                // 0: a free one
  bool open = false;           // the page opened in the default browser
  match::EngineLimits limits;  // the engines'
  match::TimeControl time;     // the engines' (the rule and the size are each game's own)
};

using UsageError = tools::UsageError;

// Throws UsageError with a message for people.
BoardOptions ParseBoardOptions(const std::vector<std::string>& args);

std::string BoardHelp();

}  // namespace fiverow::board
