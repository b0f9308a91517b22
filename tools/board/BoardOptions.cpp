#include "board/BoardOptions.h"

#include "board/Sockets.h"
#include "common/CommandLine.h"
#include "common/OptionValues.h"
#include "players/EngineProgram.h"

namespace fiverow::board {

namespace {

constexpr const char* kUsage = R"(Usage: fiverow-board [options] [ENGINE...]
       fiverow-board --watch FILE
       fiverow-board --replay FILE)";

constexpr const char* kDescription =
    R"(Serves a page on this machine to play five-in-a-row against the engines named
(default: fiverow), to see fiverow's score of every cell and why, to watch a
match that fiverow-match --events FILE writes, or to step through a game
record. Each ENGINE is named as fiverow-match takes it ("fiverow",
"pbrain-...", "file:COMMAND", "pipe:COMMAND"); the page chooses among them
and starts no other program. It prints the page's address, which holds a
random token that every request must present.)";

constexpr const char* kFooter =
    R"(Ctrl-C, SIGTERM or closing its console window ends it, with every engine it
started, and removes their folders. Exit status: 0 when stopped so, 2 for a
usage error, 1 when it could not serve (the port is taken, a file cannot be
read, its output cannot be written).)";

bool IsAddress(const std::string& text) { return ParseAddress(text).has_value(); }

// The options in the order of the help. `playing` is set by those that only
// playing takes.
void DefineOptions(CLI::App& app, BoardOptions& o, bool& playing) {
  using tools::AddOption;
  app.description(kDescription);
  app.footer(kFooter);
  AddOption(app, "--port", "N", "listen on port N (default 0: a free one)",
            [&o](auto& name, auto& text) {
              o.port = static_cast<int>(tools::ParseWholeNumber(name, text, 0, 65535));
            });
  AddOption(app, "--listen", "ADDR",
            "listen on the address ADDR (default 127.0.0.1); any other\n"
            "than a loopback address lets other machines reach the page\n"
            "(with the token)",
            [&o](auto&, auto& text) {
              if (!IsAddress(text))
                throw UsageError("--listen needs an IPv4 or IPv6 address, not \"" + text + "\"");
              o.listen = text;
            });
  app.add_flag_callback(
      "--open", [&o] { o.open = true; },
      "open the page in the default browser (it goes on serving\n"
      "when it cannot)");
  AddOption(app, "--watch", "FILE", "show the match whose events FILE holds, as it is played",
            [&o](auto&, auto& text) { o.watchFile = text; });
  AddOption(app, "--replay", "FILE", "step through the game record FILE",
            [&o](auto&, auto& text) { o.replayFile = text; });
  // The engines' limits, as in fiverow-match.
  const auto limit = [&](const std::string& name, const std::string& value, const std::string& help,
                         auto read) {
    AddOption(app, name, value, help, [read, &playing](auto& given, auto& text) {
      read(given, text);
      playing = true;
    });
  };
  limit("--time-limit", "SECONDS",
        "time per move, as in fiverow-match (default 5); a person\n"
        "is not timed",
        [&o](auto& name, auto& text) { o.time.turnSeconds = tools::ParseSeconds(name, text); });
  limit("--match-time", "SECONDS", "time per engine per game, as in fiverow-match",
        [&o](auto& name, auto& text) { o.time.matchSeconds = tools::ParseSeconds(name, text); });
  limit("--increment", "SECONDS", "added to its match time after each of its moves",
        [&o](auto& name, auto& text) {
          o.time.incrementSeconds = tools::ParseSeconds(name, text, true);
        });
  limit("--start-time", "SECONDS", "time for a pipe engine's start-up (default 30)",
        [&o](auto& name, auto& text) { o.limits.startSeconds = tools::ParseSeconds(name, text); });
  limit("--time-margin", "SECONDS", "how far past its time a move still counts (default 0.1)",
        [&o](auto& name, auto& text) {
          o.time.marginSeconds = tools::ParseSeconds(name, text, true);
        });
  limit("--max-memory", "MB", "memory per engine, with all it starts; holding more loses",
        [&o](auto& name, auto& text) {
          o.limits.memoryBytes =
              static_cast<std::uint64_t>(tools::ParseWholeNumber(name, text, 1, 1 << 20)) << 20;
        });
  app.add_option("engines", o.engineCommands, "the engines")->expected(0, -1);
  tools::FinishCommandLine(app, kUsage, 22);
}

}  // namespace

BoardOptions ParseBoardOptions(const std::vector<std::string>& args) {
  BoardOptions options;
  bool playing = false;
  CLI::App app("", "fiverow-board");
  DefineOptions(app, options, playing);
  options.asked = tools::ParseCommandLine(app, args);
  if (options.asked != tools::Asked::kRun) return options;
  for (const std::string& engine : options.engineCommands) {
    if (match::NamesHuman(engine))
      throw UsageError("the person plays at the page: \"human\" is no engine here");
  }
  playing = playing || !options.engineCommands.empty();
  if (options.watchFile && options.replayFile)
    throw UsageError("--watch and --replay cannot go together");
  if ((options.watchFile || options.replayFile) && playing)
    throw UsageError(std::string(options.watchFile ? "--watch" : "--replay") +
                     " shows a match or a game: no engines or limits with it");
  return options;
}

std::string BoardHelp() {
  BoardOptions options;
  bool playing = false;
  CLI::App app("", "fiverow-board");
  DefineOptions(app, options, playing);
  return app.help();
}

}  // namespace fiverow::board
