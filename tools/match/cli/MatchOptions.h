// The referee's command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/ClusterOptions.h"
#include "cli/OptionValues.h"
#include "common/Asked.h"
#include "game/Opening.h"
#include "game/OpeningNotation.h"
#include "game/Rules.h"
#include "match/OpeningSchedule.h"
#include "match/Schedule.h"
#include "output/TerminalView.h"
#include "stats/Rating.h"

namespace fiverow::match {

// A value for every engine, and values for single engines, by index, that
// take its place.
template <typename T>
struct PerEngine {
  std::optional<T> all;
  std::map<std::size_t, T> one;
  std::optional<T> For(std::size_t engine) const {
    const auto found = one.find(engine);
    return found != one.end() ? std::optional<T>(found->second) : all;
  }
};

struct MatchOptions {
  tools::Asked asked = tools::Asked::kRun;
  std::vector<std::string> engineCommands;  // as given: A, B, C, ...
  PerEngine<double> timeLimit;              // seconds per move; 5 when not given
  PerEngine<double> matchTime;              // seconds per engine per game
  PerEngine<double> increment;              // seconds added to the match time per move
  PerEngine<std::uint64_t> depth;           // INFO max_depth
  PerEngine<std::uint64_t> nodes;           // INFO max_node
  std::vector<EngineInfo> engineOptions;
  double startTime = 30;    // seconds for a pipe engine's start-up
  double timeMargin = 0.1;  // seconds a move may run past its limit
  std::optional<std::string> logFile;
  std::optional<std::string> eventsFile;  // the match as JSON lines, as it happens
  PerEngine<std::uint64_t> maxMemoryMB;
  Rule rule = Rule::Freestyle;
  std::optional<int> games;  // per pair of engines in a round
  bool gauntlet = false;     // the first engine against each other one
  int rounds = 1;
  std::optional<int> drawAfter;  // moves in all, the opening's included
  int boardSize = kStandardBoardSize;
  std::optional<std::uint64_t> seed;
  std::optional<Opening> opening;
  std::optional<std::string> openingText;   // as given, read once the board size is known
  std::optional<std::string> openingsFile;  // one opening a line, read before the match
  OpeningFormat openingsFormat = OpeningFormat::Offset;
  OpeningOrder openingsOrder = OpeningOrder::Sequential;
  bool symmetries = false;   // each opening in a random one of the board's symmetries
  std::optional<Show> show;  // default depends on the games
  std::optional<std::string> recordFolder;
  std::optional<std::string> sgfFile;  // each game appended as an SGF game tree
  std::optional<std::string> replayFile;
  int replayGame = 1;  // which game of an SGF file
  bool keep = false;
  int concurrency = 1;                 // games played at once
  bool pin = false;                    // each game held to one CPU
  std::optional<SprtParameters> sprt;  // stop the match once the test decides
  ClusterOptions cluster;

  // The engines of the match: two at least, fiverow for those not given.
  std::size_t EngineCount() const { return std::max<std::size_t>(2, engineCommands.size()); }
  // The games of a pair in a round: 1 by default for two engines, 2 for more.
  int GamesPerPair() const { return games.value_or(EngineCount() > 2 ? 2 : 1); }
  Pairing PairingOf() const;
  int TotalGames() const;
  // Random openings are used for a match of several games, or when a seed is
  // given, unless an opening or a file of them is given.
  bool RandomOpenings() const {
    return !opening && !openingsFile && (TotalGames() > 1 || seed.has_value());
  }
  // A person sees the board before each of its moves; the match then shows
  // the end of each game.
  Show ShowOrDefault() const {
    if (show) return *show;
    if (HasHuman()) return Show::End;
    return TotalGames() > 1 ? Show::None : Show::Each;
  }
  bool HasHuman() const;
};

// Throws UsageError with a message for people.
MatchOptions ParseMatchOptions(const std::vector<std::string>& args);

std::string MatchHelp();

}  // namespace fiverow::match
