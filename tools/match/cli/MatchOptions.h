// The referee's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/OptionValues.h"
#include "game/Opening.h"
#include "game/OpeningNotation.h"
#include "game/Rules.h"
#include "match/OpeningSchedule.h"
#include "output/TerminalView.h"
#include "stats/Rating.h"

namespace fiverow::match {

struct MatchOptions {
  bool help = false;
  std::vector<std::string> engineCommands;  // 0 to 2, as given
  double timeLimit = 5.0;                   // seconds per move
  bool timeLimitGiven = false;
  std::optional<double> matchTime;  // seconds per engine per game
  double startTime = 30;            // seconds for a pipe engine's start-up
  double timeMargin = 0.1;          // seconds a move may run past its limit
  std::optional<std::string> logFile;
  std::optional<std::string> eventsFile;  // the match as JSON lines, as it happens
  std::optional<std::uint64_t> maxMemoryMB;
  Rule rule = Rule::Freestyle;
  int games = 1;
  std::optional<std::uint64_t> seed;
  std::optional<Opening> opening;
  std::optional<std::string> openingsFile;  // one opening a line, read before the match
  OpeningFormat openingsFormat = OpeningFormat::Offset;
  OpeningOrder openingsOrder = OpeningOrder::Sequential;
  bool symmetries = false;   // each opening in a random one of the board's symmetries
  std::optional<Show> show;  // default depends on the games
  std::optional<std::string> recordFolder;
  std::optional<std::string> replayFile;
  bool keep = false;
  int concurrency = 1;                 // games played at once
  std::optional<SprtParameters> sprt;  // stop the match once the test decides

  // Random openings are used for a match of several games, or when a seed is
  // given, unless an opening or a file of them is given.
  bool RandomOpenings() const {
    return !opening && !openingsFile && (games > 1 || seed.has_value());
  }
  // A person sees the board before each of its moves; the match then shows
  // the end of each game.
  Show ShowOrDefault() const {
    if (show) return *show;
    if (HasHuman()) return Show::End;
    return games > 1 ? Show::None : Show::Each;
  }
  bool HasHuman() const;
};

// Throws UsageError with a message for people.
MatchOptions ParseMatchOptions(const std::vector<std::string>& args);

std::string MatchHelp();

}  // namespace fiverow::match
