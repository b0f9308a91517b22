#include "board/Server.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <thread>

#include "board/BoardProcess.h"
#include "board/Front.h"
#include "board/Guard.h"
#include "board/HttpServer.h"
#include "board/Routes.h"
#include "board/ShownGame.h"
#include "common/EscapedText.h"
#include "process/EngineSetup.h"
#include "process/FileLimit.h"
#include "process/ProgramPaths.h"
#include "process/RefereeError.h"
#include "process/StopSignals.h"

namespace fiverow::board {

namespace {

// Each request, and each page's stream of updates, holds a thread while it
// lasts (not while its head comes: see Front.h); the streams are bounded so
// that requests always find one.
constexpr std::size_t kServerThreads = 40;

// Scripts and styles only from the page's own files, no inline code, no
// other site, no frames, no forms.
constexpr const char* kContentPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

PlaySetup SetupOf(const BoardOptions& options) {
  const match::CommandPlace place = match::ThisCommandPlace();
  std::vector<std::string> commands = options.engineCommands;
  if (commands.empty()) commands.push_back(match::DefaultEngineCommand(place));
  PlaySetup setup;
  for (const std::string& command : commands) {
    BoardEngine engine{match::ChooseEngine(command, place)};
    const std::string& program = engine.program.argv.front();
    engine.fiverow = program == match::ProgramCandidate(place.toolFolder, "fiverow") ||
                     program == match::ProgramCandidate(place.toolFolder, "pbrain-fiverow");
    setup.engines.push_back(std::move(engine));
  }
  setup.limits = options.limits;
  setup.time = options.time;
  return setup;
}

// Every answer with the page's policy; every request checked by the guard.
void Harden(httplib::Server& server, const Guard& guard) {
  server.set_default_headers({{"Content-Security-Policy", kContentPolicy},
                              {"Cache-Control", "no-store"},
                              {"Referrer-Policy", "no-referrer"},
                              {"X-Content-Type-Options", "nosniff"},
                              {"X-Frame-Options", "DENY"}});
  server.set_pre_routing_handler(
      [&guard](const httplib::Request& request, httplib::Response& response) {
        const std::optional<std::string> refusal =
            guard.Refusal(request.get_header_value("Host"), request.get_header_value("Origin"),
                          request.get_param_value("t"));
        // The page sends no compressed body, which could grow past any bound.
        const std::string encoding = request.get_header_value("Content-Encoding");
        if (!refusal && (encoding.empty() || encoding == "identity"))
          return httplib::Server::HandlerResponse::Unhandled;
        response.status = refusal ? 403 : 415;
        response.set_content("refused: " + refusal.value_or("the body is compressed") + "\n",
                             "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
      });
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) response.set_content("no such page\n", "text/plain; charset=utf-8");
  });
}

}  // namespace

int RunBoard(const BoardOptions& options, std::ostream& out, std::ostream& err) {
  try {
    match::CatchStopSignals();
    match::PrepareForEngines(options.limits.memoryBytes.has_value());
    match::RaiseOpenFileLimit();

    PlaySetup setup;
    std::unique_ptr<GameTable> table;
    std::shared_ptr<MatchWatch> watch;
    std::string replay;
    std::string what;
    if (options.replayFile) {
      replay = ShownGameJson(*options.replayFile);
      what = "the game of " + tools::ShownText(*options.replayFile);
    } else if (options.watchFile) {
      struct stat file {};
      if (::stat(options.watchFile->c_str(), &file) == 0 && !S_ISREG(file.st_mode))
        throw match::RefereeError(tools::ShownText(*options.watchFile) + " is not a regular file");
      watch = std::make_shared<MatchWatch>(*options.watchFile);
      what = "the match of " + tools::ShownText(*options.watchFile);
    } else {
      setup = SetupOf(options);
      table = std::make_unique<GameTable>(setup);
      what = "play against ";
      for (std::size_t i = 0; i < setup.engines.size(); ++i)
        what += (i > 0 ? ", " : "") + tools::ShownText(setup.engines[i].program.command);
    }

    Front front(options.listen, options.port);
    const int port = front.port();
    const Guard guard(RandomHex(), options.listen, port);
    HttpServer server(front, kServerThreads);
    server.set_payload_max_length(kLargestBody);
    Harden(server, guard);
    Streams streams;
    AddPageRoutes(server, guard.token(), options, setup);
    AddAnalysisRoutes(server);
    if (table) AddPlayRoutes(server, *table, streams);
    if (watch) AddWatchRoutes(server, watch, streams);
    if (options.replayFile) AddReplayRoutes(server, std::move(replay));

    const std::string host = HostText(IsWildcard(options.listen) ? "127.0.0.1" : options.listen);
    const std::string url = "http://" + host + ":" + std::to_string(port) + "/?t=" + guard.token();
    out << "fiverow-board: " << what << "\n" << url << "\n" << std::flush;
    if (!out) {
      err << "fiverow-board: cannot write to standard output: " << std::strerror(errno) << "\n";
      return 1;
    }
    if (!IsLoopback(options.listen)) {
      err << "fiverow-board: warning: listening on " << HostText(options.listen)
          << ", so other machines can reach the page; anyone who sees its address can use it\n";
    }

    if (options.open || StartedOnItsOwnConsole()) {
      if (const std::optional<std::string> problem = OpenInBrowser(url)) {
        err << "fiverow-board: cannot open the page in a browser (" << *problem
            << "); open the address above\n";
      }
    }

    if (watch) watch->Start();
    std::thread listener([&] {
      server.Serve();
      match::InterruptWaits();
    });
    WaitForStop();
    // Every page's stream ends, then the server's threads, then the games:
    // their engines are ended and their folders removed.
    if (table) table->CloseAll();
    if (watch) watch->Stop();
    server.Stop();
    listener.join();
    table.reset();
    StopFinished();
    const bool signalled = match::StopRequested();
    err << (signalled ? "fiverow-board: stopped\n" : "fiverow-board: the server failed\n");
    return signalled ? 0 : 1;
  } catch (const match::RefereeError& failure) {
    err << "fiverow-board: " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace fiverow::board
