#include "board/BoardOptions.h"

#include <arpa/inet.h>

#include "cli/OptionValues.h"
#include "players/EngineProgram.h"

namespace fiverow::board {

const char* const kBoardHelp = R"(Usage: fiverow-board [options] [ENGINE...]
       fiverow-board --watch FILE
       fiverow-board --replay FILE

Serves a page on this machine to play five-in-a-row against the engines named
(default: fiverow), to see fiverow's score of every cell and why, to watch a
match that fiverow-match --events FILE writes, or to step through a game
record. Each ENGINE is named as fiverow-match takes it ("fiverow",
"pbrain-...", "file:COMMAND", "pipe:COMMAND"); the page chooses among them
and starts no other program. It prints the page's address, which holds a
random token that every request must present.

Options:
  --port N            listen on port N (default 0: a free one)
  --listen ADDR       listen on the address ADDR (default 127.0.0.1); any other
                      than a loopback address lets other machines reach the page
                      (with the token)
  --watch FILE        show the match whose events FILE holds, as it is played
  --replay FILE       step through the game record FILE
  --time-limit SECONDS, --match-time SECONDS, --increment SECONDS,
  --start-time SECONDS, --time-margin SECONDS, --max-memory MB
                      the engines' limits, as in fiverow-match (default 5 s a
                      move, 30 s to start, a margin of 0.1 s); a person is not
                      timed
  -h, --help          show this help

Ctrl-C or SIGTERM ends it, with every engine it started, and removes their
folders. Exit status: 0 when stopped so, 2 for a usage error, 1 when it could
not serve (the port is taken, a file cannot be read, its output cannot be
written).
)";

namespace {

bool IsAddress(const std::string& text) {
  unsigned char bytes[16];
  return ::inet_pton(AF_INET, text.c_str(), bytes) == 1 ||
         ::inet_pton(AF_INET6, text.c_str(), bytes) == 1;
}

}  // namespace

BoardOptions ParseBoardOptions(const std::vector<std::string>& args) {
  BoardOptions options;
  bool playing = false;  // an option that only playing takes was given
  tools::Arguments arguments(args);
  while (arguments.Next()) {
    const std::string arg = arguments.Name();
    const auto value = [&arguments] { return arguments.Value(); };
    if (arg == "-h" || arg == "--help") {
      arguments.NoValue();
      options.help = true;
    } else if (arg == "--port") {
      options.port = static_cast<int>(match::ParseWholeNumber(arg, value(), 0, 65535));
    } else if (arg == "--listen") {
      options.listen = value();
      if (!IsAddress(options.listen))
        throw UsageError("--listen needs an IPv4 or IPv6 address, not \"" + options.listen + "\"");
    } else if (arg == "--watch") {
      options.watchFile = value();
    } else if (arg == "--replay") {
      options.replayFile = value();
    } else if (arg == "--time-limit") {
      options.time.turnSeconds = match::ParseSeconds(arg, value());
      playing = true;
    } else if (arg == "--match-time") {
      options.time.matchSeconds = match::ParseSeconds(arg, value());
      playing = true;
    } else if (arg == "--increment") {
      options.time.incrementSeconds = match::ParseSeconds(arg, value(), true);
      playing = true;
    } else if (arg == "--start-time") {
      options.limits.startSeconds = match::ParseSeconds(arg, value());
      playing = true;
    } else if (arg == "--time-margin") {
      options.time.marginSeconds = match::ParseSeconds(arg, value(), true);
      playing = true;
    } else if (arg == "--max-memory") {
      options.limits.memoryBytes =
          static_cast<std::uint64_t>(match::ParseWholeNumber(arg, value(), 1, 1 << 20)) << 20;
      playing = true;
    } else if (arguments.IsOption()) {
      throw UsageError("unknown option " + arg);
    } else {
      if (match::NamesHuman(arg))
        throw UsageError("the person plays at the page: \"human\" is no engine here");
      options.engineCommands.push_back(arg);
      playing = true;
    }
  }
  if (options.watchFile && options.replayFile)
    throw UsageError("--watch and --replay cannot go together");
  if ((options.watchFile || options.replayFile) && playing)
    throw UsageError(std::string(options.watchFile ? "--watch" : "--replay") +
                     " shows a match or a game: no engines or limits with it");
  return options;
}

}  // namespace fiverow::board
