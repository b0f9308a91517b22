#include "match/MatchOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/Arguments.h"
#include "match/EngineChoice.h"

namespace fiverow::match {

const char* const kMatchHelp = R"(Usage: fiverow-match [options] [ENGINE_A [ENGINE_B]]

Plays five-in-a-row games between two engines. Each engine is a command line
(quote it if it has arguments); both default to the fiverow built beside this
program. An engine speaks the Plocha.dat / Tah.dat file protocol, one run per
move, unless its program's name begins with "pbrain-": such an engine speaks
the pipe protocol, one process per game. "file:COMMAND" and "pipe:COMMAND"
choose the protocol; "human" is a person at this terminal, who types x,y.
The programs "fiverow" and "pbrain-fiverow" are the ones beside this program.
Each engine runs in a temporary folder of its own, so its program is looked
up on PATH unless it holds a slash, and words with a slash that name an
existing file are made absolute; other words pass unchanged (write
"sh ./engine.sh", not "sh engine.sh").

Options:
  --time-limit SECONDS  time per move; an engine that runs over is killed and
                        loses (default 5; a person has none unless given)
  --match-time SECONDS  time per engine per game; running out loses
  --max-memory MB       address space per engine; running out is a crash
  --rule freestyle|standard
                        five or more in a row wins (freestyle, the default),
                        or exactly five: an overline does not win (standard)
  --games N             play N games (default 1)
  --seed S              seed of the random openings (default 1)
  --opening "x,y ..."   place these stones alternately, x first, before the
                        engines move; without it a single game starts on an
                        empty board, and several games (or a --seed) use
                        random balanced openings near the centre, each played
                        twice with the sides swapped
  --show each|end|none  show the board after each move, at the end of each
                        game, or not at all (default: each for one game, none
                        for several)
  --record DIR          write one game record per game into DIR, numbered on
                        after the records already there
  --replay FILE         show a recorded game again, then exit
  --keep                keep the engines' working folders
  --concurrency N       play N games at once, each with its own folders and
                        engine processes (default 1); the results still
                        print in game order
  --sprt elo0=E0,elo1=E1,alpha=A,beta=B
                        stop the match as soon as a sequential probability
                        ratio test accepts H0 (A is E0 Elo stronger than B)
                        or H1 (E1 stronger), at error rates alpha and beta;
                        --games N is then the most games played
  -h, --help            show this help

A move is x,y (column,row, 0..19) on an empty cell. Wrong text, an occupied
cell, running out of time, a non-zero exit status, a Tah.dat that is not a
regular file or a folder the referee cannot repair loses the game; so does a
pipe engine's UNKNOWN, ERROR or exit. A full board is a draw. Engine A plays
x (the first player) in odd-numbered games, B in even-numbered ones. Each
game starts with empty folders. For several games the summary adds the Elo
difference of A over B with its 95% margin and the likelihood that A is the
stronger, from the pairs of games played on the same opening.

Exit status: 0 when every game was played to a result, 2 for a usage error,
1 when the referee itself failed (a folder or an engine could not be made or
started, its output could not be written) or was stopped by a signal.
)";

namespace {

template <typename Number>
Number ParseWhole(const std::string& option, const std::string& text, Number low, Number high) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < low || value > high) {
    throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  }
  return value;
}

double ParseSeconds(const std::string& option, const std::string& text) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || !std::isfinite(value) || value <= 0 || value > 86400) {
    throw UsageError(option + " needs a number of seconds above 0 (at most 86400), not \"" + text +
                     "\"");
  }
  return value;
}

Rule ParseRule(const std::string& text) {
  if (text == "freestyle") return Rule::Freestyle;
  if (text == "standard") return Rule::Standard;
  throw UsageError("--rule takes freestyle or standard, not \"" + text + "\"");
}

// A person at the terminal plays one game at a time: an option that plays
// games side by side must be refused here with a human engine, its count of
// games at once passed as `gamesAtOnce`.
void CheckOneGameAtATimeForAPerson(const MatchOptions& options, int gamesAtOnce) {
  if (gamesAtOnce > 1 && options.HasHuman())
    throw UsageError("a human plays one game at a time: no --concurrency with human");
}

Show ParseShow(const std::string& text) {
  if (text == "each") return Show::Each;
  if (text == "end") return Show::End;
  if (text == "none") return Show::None;
  throw UsageError("--show takes each, end or none, not \"" + text + "\"");
}

}  // namespace

MatchOptions ParseMatchOptions(const std::vector<std::string>& args) {
  MatchOptions options;
  bool gamesGiven = false;
  bool concurrencyGiven = false;
  tools::Arguments arguments(args);
  while (arguments.Next()) {
    const std::string& arg = arguments.Name();
    const auto value = [&arguments] { return arguments.Value(); };
    const auto noValue = [&arguments] { arguments.NoValue(); };

    if (arg == "-h" || arg == "--help") {
      noValue();
      options.help = true;
    } else if (arg == "--time-limit") {
      options.timeLimit = ParseSeconds(arg, value());
      options.timeLimitGiven = true;
    } else if (arg == "--match-time") {
      options.matchTime = ParseSeconds(arg, value());
    } else if (arg == "--max-memory") {
      options.maxMemoryMB = ParseWhole<std::uint64_t>(arg, value(), 1, 1 << 20);
    } else if (arg == "--rule") {
      options.rule = ParseRule(value());
    } else if (arg == "--games") {
      options.games = ParseWhole<int>(arg, value(), 1, 1000000);
      gamesGiven = true;
    } else if (arg == "--seed") {
      options.seed = ParseWhole<std::uint64_t>(arg, value(), 0, UINT64_MAX);
    } else if (arg == "--opening") {
      std::string error;
      options.opening = ParseOpening(value(), error);
      if (!options.opening) throw UsageError(error);
    } else if (arg == "--show") {
      options.show = ParseShow(value());
    } else if (arg == "--record") {
      options.recordFolder = value();
    } else if (arg == "--replay") {
      options.replayFile = value();
    } else if (arg == "--keep") {
      noValue();
      options.keep = true;
    } else if (arg == "--concurrency") {
      options.concurrency = ParseWhole<int>(arg, value(), 1, 256);
      concurrencyGiven = true;
    } else if (arg == "--sprt") {
      options.sprt = ParseSprtParameters(value());
    } else if (arguments.IsOption()) {
      throw UsageError("unknown option " + arg);
    } else {
      if (options.engineCommands.size() == 2)
        throw UsageError("at most two engines, got \"" + arg + "\" too");
      options.engineCommands.push_back(arg);
    }
  }
  // What the options allow together.
  if (options.replayFile &&
      (!options.engineCommands.empty() || gamesGiven || options.seed || options.opening ||
       options.recordFolder || options.keep || options.matchTime || options.maxMemoryMB ||
       concurrencyGiven || options.sprt)) {
    throw UsageError("--replay takes no engines and no options but --show");
  }
  if (options.sprt && options.games < 2)
    throw UsageError("--sprt needs --games N, the most games to play (at least 2)");
  CheckOneGameAtATimeForAPerson(options, options.concurrency);
  return options;
}

bool MatchOptions::HasHuman() const {
  return std::any_of(engineCommands.begin(), engineCommands.end(),
                     [](const std::string& given) { return NamesHuman(given); });
}

GameLimits MatchOptions::Limits() const {
  GameLimits limits;
  limits.moveSeconds = timeLimit;
  limits.moveLimitGiven = timeLimitGiven;
  limits.matchSeconds = matchTime;
  if (maxMemoryMB) limits.memoryBytes = *maxMemoryMB << 20;
  limits.rule = rule;
  return limits;
}

}  // namespace fiverow::match
