#include "cli/MatchOptions.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>

#include "common/CommandLine.h"
#include "match/Match.h"
#include "match/Schedule.h"
#include "players/EngineProgram.h"

namespace fiverow::match {

namespace {

// Reads "E:VALUE" or "VALUE" into the value of engine E or of every engine.
template <typename T, typename Read>
void SetPerEngine(PerEngine<T>& values, const std::string& option, const std::string& text,
                  Read read) {
  const EngineValue given = ParseEngineValue(option, text);
  const T value = read(given.value);
  if (given.engine)
    values.one[*given.engine] = value;
  else
    values.all = value;
}

template <typename T>
std::vector<std::size_t> Named(const PerEngine<T>& values) {
  std::vector<std::size_t> engines;
  for (const auto& [engine, value] : values.one) engines.push_back(engine);
  return engines;
}

constexpr const char* kDescription =
    R"(Plays five-in-a-row games between engines: two, or a tournament of any
number. Each engine is a command line (quote it if it has arguments); with
fewer than two, the fiverow built beside this program plays the others. An
engine speaks the Plocha.dat / Tah.dat file protocol, one run per move,
unless its program's name begins with "pbrain-": such an engine speaks the
pipe protocol, one process for the match. "file:COMMAND" and "pipe:COMMAND"
choose the protocol; "human" is a person at this terminal, who types x,y.
The programs "fiverow" and "pbrain-fiverow" are the ones beside this program.
Each engine runs in a temporary folder of its own, so its program is looked
up on PATH unless it holds a slash, and words with a slash that name an
existing file are made absolute; other words pass unchanged (write
"sh ./engine.sh", not "sh engine.sh").)";

constexpr const char* kFooter =
    R"(A move is x,y (column,row, from 0) on an empty cell. Wrong text, an occupied
cell, running out of time, a non-zero exit status, a Tah.dat that is not a
regular file or a folder the referee cannot repair loses the game; so does a
pipe engine's exit, an answer to a move that is not a move, or anything but
OK to START or RESTART, and under renju a move of x forbidden by the rule.
A pipe engine's ERROR and UNKNOWN lines while a move is due are kept as
notes, and the wait goes on. A full board is a draw. The engines are A, B, C, ... in the
order given. Each pair plays each opening twice, the pair's first engine on
x (the first player) in the first game. For several games of two engines
the summary adds the Elo difference of A over B with its 95% margin and the
likelihood that A is the stronger, from the pairs of games played on the
same opening; for three engines or more, standings, a crosstable and the
ratings of all engines fitted together.

Exit status: 0 when every game was played to a result, 2 for a usage error
(a bad line of an openings file too), 1 when the referee itself failed (a
folder or an engine could not be made or started, a file could not be read,
its output could not be written) or was stopped by a signal.)";

// The options, one row each: what they are called, the value they take, what
// they do and how their value is read. Options that play games cannot go
// with --replay; those checks, and the ones on values together, are in
// CheckCombinations.
void DefineOptions(CLI::App& app, MatchOptions& o) {
  app.footer(kFooter);
  std::vector<CLI::Option*> playing;
  const auto option =
      [&app](const std::string& name, const std::string& value, const std::string& help,
             std::function<void(const std::string& name, const std::string&)> read) {
        return tools::AddOption(app, name, value, help, std::move(read));
      };
  const auto plays = [&playing](CLI::Option* added) { playing.push_back(added); };
  // An option that may be given again, for all engines or for one: each
  // value read in turn.
  const auto repeated =
      [&app](const std::string& name, const std::string& value, const std::string& help,
             std::function<void(const std::string& name, const std::string&)> read) {
        return app.add_option(name, help)
            ->type_name(value)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->each([name, read](const std::string& text) { read(name, text); });
      };

  plays(repeated("--time-limit", "[E:]SECONDS",
                 "time per move; an engine that runs over is killed and\n"
                 "loses (default 5; a person has none unless given);\n"
                 "E:SECONDS for engine E alone, as for the next four",
                 [&o](auto& name, auto& text) {
                   SetPerEngine(o.timeLimit, name, text,
                                [&](auto& value) { return ParseSeconds(name, value); });
                 }));
  plays(repeated("--match-time", "[E:]SECONDS", "time per engine per game; running out loses",
                 [&o](auto& name, auto& text) {
                   SetPerEngine(o.matchTime, name, text,
                                [&](auto& value) { return ParseSeconds(name, value); });
                 }));
  plays(repeated("--increment", "[E:]SECONDS",
                 "time added to an engine's match time after each of\n"
                 "its moves",
                 [&o](auto& name, auto& text) {
                   SetPerEngine(o.increment, name, text,
                                [&](auto& value) { return ParseSeconds(name, value, true); });
                 }));
  plays(repeated("--depth", "[E:]N", "told to pipe engines as INFO max_depth",
                 [&o](auto& name, auto& text) {
                   SetPerEngine(o.depth, name, text, [&](auto& value) {
                     return static_cast<std::uint64_t>(ParseWholeNumber(name, value, 1, 1000000));
                   });
                 }));
  plays(repeated(
      "--nodes", "[E:]N", "told to pipe engines as INFO max_node", [&o](auto& name, auto& text) {
        SetPerEngine(o.nodes, name, text, [&](auto& value) {
          return static_cast<std::uint64_t>(ParseWholeNumber(name, value, 1, 1000000000000));
        });
      }));
  plays(repeated(
      "--engine-option", "E:KEY=VALUE",
      "send INFO KEY VALUE to pipe engine E (not a key the\n"
      "referee sends itself)",
      [&o](auto& name, auto& text) { o.engineOptions.push_back(ParseEngineInfo(name, text)); }));
  plays(option("--start-time", "SECONDS",
               "time for a pipe engine's start-up (START, INFO, ABOUT),\n"
               "on no move's clock (default 30)",
               [&o](auto& name, auto& text) { o.startTime = ParseSeconds(name, text); }));
  plays(option("--time-margin", "SECONDS",
               "how far past its time limit or match time a move still\n"
               "counts (default 0.1); engines are told the limits",
               [&o](auto& name, auto& text) { o.timeMargin = ParseSeconds(name, text, true); }));
  plays(repeated("--max-memory", "[E:]MB",
                 "memory per engine, with all it starts; holding more\n"
                 "loses",
                 [&o](auto& name, auto& text) {
                   SetPerEngine(o.maxMemoryMB, name, text, [&](auto& value) {
                     return static_cast<std::uint64_t>(ParseWholeNumber(name, value, 1, 1 << 20));
                   });
                 }));

  std::string rules;
  for (const auto& [rule, name] : kRuleNames.entries)
    rules += (rules.empty() ? "" : "|") + std::string(name);
  plays(option("--rule", rules,
               "five or more in a row wins (freestyle, the default),\n"
               "or exactly five: an overline does not win (standard);\n"
               "renju: x wins with exactly five and loses by a\n"
               "double-three, double-four or overline, o wins with\n"
               "five or more",
               [&o](auto&, auto& text) { o.rule = ParseRule(text); }));
  plays(option("--board-size", "N",
               "play on a board of N x N cells, N from 15 to 22\n"
               "(default 20); file engines play only on 20 x 20",
               [&o](auto& name, auto& text) {
                 o.boardSize = static_cast<int>(
                     ParseWholeNumber(name, text, kSmallestBoardSize, kLargestBoardSize));
               }));
  plays(option("--games", "N",
               "play N games (default 1); with three engines or more,\n"
               "N games of each pair in each round (even, default 2)",
               [&o](auto& name, auto& text) {
                 o.games = static_cast<int>(ParseWholeNumber(name, text, 1, 1000000));
               }));
  plays(app.add_flag_callback(
      "--gauntlet", [&o] { o.gauntlet = true; },
      "the first engine against each other one, rather than\n"
      "every engine against every other (a round-robin)"));
  plays(option("--rounds", "N", "play the schedule N times (default 1)",
               [&o](auto& name, auto& text) {
                 o.rounds = static_cast<int>(ParseWholeNumber(name, text, 1, 100000));
               }));
  plays(option("--draw-after", "N",
               "a game is a draw once N moves are on the board, the\n"
               "opening's stones included",
               [&o](auto& name, auto& text) {
                 o.drawAfter = static_cast<int>(ParseWholeNumber(name, text, 1, 10000));
               }));
  plays(option("--seed", "S",
               "seed of the random openings, and of the order and\n"
               "symmetries of --openings (default 1)",
               [&o](auto& name, auto& text) { o.seed = ParseSeed(name, text); }));
  CLI::Option* opening = option("--opening", "\"x,y ...\"",
                                "place these stones alternately, x first, before the\n"
                                "engines move; without it a single game starts on an\n"
                                "empty board, and several games (or a --seed) use\n"
                                "random balanced openings near the centre, each played\n"
                                "twice with the sides swapped",
                                [&o](auto&, auto& text) { o.openingText = text; });
  plays(opening);
  CLI::Option* openings = option("--openings", "FILE",
                                 "play the openings of FILE in turn, one a line, each\n"
                                 "twice with the sides swapped, from the first again\n"
                                 "when they run out; blank lines and lines starting\n"
                                 "with # are skipped",
                                 [&o](auto&, auto& text) { o.openingsFile = text; });
  plays(openings->excludes(opening));
  plays(option("--openings-format", "offset|pos|xy",
               "how FILE writes moves, x's first: \"8,-3, 6,-4\" from\n"
               "the centre (offset, the default), \"d3e5\" by column\n"
               "letter and row from 1 at the top (pos), or\n"
               "\"9,9 10,10\" as --opening takes them (xy)",
               [&o](auto&, auto& text) { o.openingsFormat = ParseOpeningFormat(text); })
            ->needs(openings));
  plays(option("--openings-order", "sequential|random",
               "play the openings in the file's order (the default),\n"
               "or shuffled by --seed, afresh on each pass",
               [&o](auto&, auto& text) { o.openingsOrder = ParseOpeningOrder(text); })
            ->needs(openings));
  plays(app.add_flag_callback(
               "--symmetries", [&o] { o.symmetries = true; },
               "play each opening turned or mirrored: in one of the\n"
               "board's 8 symmetries, chosen by --seed")
            ->needs(openings));
  option("--show", "each|end|none",
         "show the board after each move, at the end of each\n"
         "game, or not at all (default: each for one game, none\n"
         "for several)",
         [&o](auto&, auto& text) { o.show = ParseShow(text); });
  plays(option("--record", "DIR",
               "write one game record per game into DIR, numbered on\n"
               "after the records already there",
               [&o](auto&, auto& text) { o.recordFolder = text; }));
  plays(option("--sgf", "FILE",
               "append each game to FILE as an SGF game tree, in\n"
               "game order, for gomoku programs to read",
               [&o](auto&, auto& text) { o.sgfFile = text; }));
  plays(option("--log", "FILE",
               "write every line sent to and received from every\n"
               "engine into FILE, with the time in microseconds",
               [&o](auto&, auto& text) { o.logFile = text; }));
  plays(option("--events", "FILE",
               "write the match's events into FILE as they happen,\n"
               "one JSON object a line, for fiverow-board --watch",
               [&o](auto&, auto& text) { o.eventsFile = text; }));
  CLI::Option* replay = option("--replay", "FILE",
                               "show a recorded game again, from a game record or\n"
                               "an SGF file, then exit",
                               [&o](auto&, auto& text) { o.replayFile = text; });
  option("--game", "N", "with --replay: the N-th game of an SGF file (default 1)",
         [&o](auto& name, auto& text) {
           o.replayGame = static_cast<int>(ParseWholeNumber(name, text, 1, 1000000000));
         })
      ->needs(replay);
  plays(app.add_flag_callback(
      "--keep", [&o] { o.keep = true; }, "keep the engines' working folders"));
  plays(option("--concurrency", "N",
               "play N games at once, each with its own folders and\n"
               "engine processes (default 1); the results still\n"
               "print in game order",
               [&o](auto& name, auto& text) {
                 o.concurrency = static_cast<int>(ParseWholeNumber(name, text, 1, 256));
               }));
  plays(app.add_flag_callback(
      "--pin", [&o] { o.pin = true; },
      "hold each game played at once, its engines with all\n"
      "they start, to one CPU of those the referee may use\n"
      "(POSIX): no idle CPU is woken as the turn passes,\n"
      "which speeds up single-threaded engines; an engine's\n"
      "threads share that one CPU"));
  plays(option("--sprt", "elo0=E0,elo1=E1,alpha=A,beta=B",
               "stop the match as soon as a sequential probability\n"
               "ratio test accepts H0 (A is E0 Elo stronger than B)\n"
               "or H1 (E1 stronger), at error rates alpha and beta;\n"
               "--games N is then the most games played",
               [&o](auto&, auto& text) { o.sprt = ParseSprtParameters(text); }));
  plays(app.add_option("engines", o.engineCommands, "the engines, A, B, C, ...")->expected(0, -1));
  DefineClusterOptions(app, o.cluster, playing);
  for (CLI::Option* other : playing) replay->excludes(other);
  tools::FinishCommandLine(
      app, "Usage: fiverow-match [options] [ENGINE_A [ENGINE_B [ENGINE_C ...]]]", 24);
}

// What the options allow together, beyond what --replay excludes.
void CheckCombinations(const MatchOptions& options) {
  const std::size_t engines = options.EngineCount();
  const auto checkEngine = [engines](const std::string& option, std::size_t engine) {
    if (engine >= engines) {
      throw UsageError(option + " names engine " + EngineLabel(engine) +
                       ", but the engines are A to " + EngineLabel(engines - 1));
    }
  };
  for (const auto& [option, named] : {std::pair{"--time-limit", Named(options.timeLimit)},
                                      {"--match-time", Named(options.matchTime)},
                                      {"--increment", Named(options.increment)},
                                      {"--depth", Named(options.depth)},
                                      {"--nodes", Named(options.nodes)},
                                      {"--max-memory", Named(options.maxMemoryMB)}}) {
    for (const std::size_t engine : named) checkEngine(option, engine);
  }
  for (const EngineInfo& info : options.engineOptions) checkEngine("--engine-option", info.engine);
  if (engines > 2 && options.GamesPerPair() % 2 != 0)
    throw UsageError(
        "--games takes an even number with three engines or more (each opening is "
        "played twice), not " +
        std::to_string(options.GamesPerPair()));
  if (options.gauntlet && engines < 3) throw UsageError("--gauntlet needs three engines or more");
  const std::uint64_t total = std::uint64_t{PairsOf(options.PairingOf()).size()} *
                              static_cast<std::uint64_t>(options.rounds) *
                              static_cast<std::uint64_t>(options.GamesPerPair());
  if (total > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
    throw UsageError("--games and --rounds make " + std::to_string(total) +
                     " games, more than the " + std::to_string(std::numeric_limits<int>::max()) +
                     " a match may play");
  }
  if (options.sprt && engines > 2) throw UsageError("--sprt is for two engines only");
  if (options.sprt && options.TotalGames() < 2)
    throw UsageError("--sprt needs --games N, the most games to play (at least 2)");
  if (options.concurrency > 1 && options.HasHuman())
    throw UsageError("a human plays one game at a time: no --concurrency with human");
  CheckClusterCombinations(options);
}

}  // namespace

MatchOptions ParseMatchOptions(const std::vector<std::string>& args) {
  MatchOptions options;
  CLI::App app(kDescription, "fiverow-match");
  DefineOptions(app, options);
  options.asked = tools::ParseCommandLine(app, args);
  if (options.asked != tools::Asked::kRun) return options;
  CheckCombinations(options);
  options.cluster.arguments = args;
  if (options.openingText) {
    std::string error;
    options.opening = ParseOpening(*options.openingText, options.boardSize, options.rule, error);
    if (!options.opening) throw UsageError(error);
  }
  return options;
}

std::string MatchHelp() {
  MatchOptions options;
  CLI::App app(kDescription, "fiverow-match");
  DefineOptions(app, options);
  return app.help();
}

Pairing MatchOptions::PairingOf() const {
  return {EngineCount(), gauntlet, rounds, GamesPerPair()};
}

int MatchOptions::TotalGames() const { return GameCount(PairingOf()); }

bool MatchOptions::HasHuman() const {
  return std::any_of(engineCommands.begin(), engineCommands.end(),
                     [](const std::string& given) { return NamesHuman(given); });
}

}  // namespace fiverow::match
