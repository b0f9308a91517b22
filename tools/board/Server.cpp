#include "board/Server.h"

#include <httplib.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <thread>

#include "board/Analysis.h"
#include "board/GameTable.h"
#include "board/Guard.h"
#include "board/Json.h"
#include "board/MatchWatch.h"
#include "board/Page.h"
#include "board/ShownGame.h"
#include "common/EscapedText.h"
#include "process/ChildReaper.h"
#include "process/FileLimit.h"
#include "process/MemoryGroups.h"
#include "process/RefereeError.h"
#include "process/StopSignals.h"

namespace fiverow::board {

namespace {

// Each request, and each page's stream of updates, holds a thread while it
// lasts; the streams are bounded so that requests always find one.
constexpr std::size_t kServerThreads = 40;
constexpr int kMostStreams = 32;
// A stream says it is alive this often, which also finds pages gone.
constexpr auto kHeartbeat = std::chrono::seconds(10);
// At most ten updates a second to a page; each carries the latest state.
constexpr auto kStreamPause = std::chrono::milliseconds(100);
constexpr std::size_t kLargestRequest = 64 * 1024;

// Scripts and styles only from the page's own files, no inline code, no
// other site, no frames, no forms.
constexpr const char* kContentPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The page's template holds this where the token goes.
constexpr std::string_view kTokenMark = "%TOKEN%";

constexpr const char* kGamePath = "/api/games/([0-9a-f]{32})";

void SendJson(httplib::Response& response, const std::string& json, int status = 200) {
  response.status = status;
  response.set_content(json, "application/json");
}

void SendProblem(httplib::Response& response, int status, const std::string& problem) {
  SendJson(response, JsonText({{"problem", problem}}), status);
}

// The page's choice of a game: {"engine":0,"side":"x","rule":"renju","size":20}.
std::optional<GameChoice> ChoiceOf(const std::string& body, std::string& problem) {
  const Json request = Json::parse(body, nullptr, false);
  GameChoice choice;
  if (!request.is_object()) {
    problem = "the request is not a JSON object";
    return std::nullopt;
  }
  const Json engine = request.value("engine", Json(0));
  const Json size = request.value("size", Json(match::kStandardBoardSize));
  const std::optional<Side> side = SideOf(request.value("side", Json("x")));
  const Json rule = request.value("rule", Json("freestyle"));
  const std::optional<Rule> named =
      rule.is_string() ? match::RuleNamed(rule.get<std::string>()) : std::nullopt;
  if (!engine.is_number_integer() || engine.get<long long>() < 0 || !size.is_number_integer() ||
      !side || !named) {
    problem = "the game asked for is not one of the page's";
    return std::nullopt;
  }
  choice.engine = static_cast<std::size_t>(engine.get<long long>());
  choice.size = static_cast<int>(std::clamp(size.get<long long>(), 0LL, 1000LL));
  choice.person = *side;
  choice.rule = *named;
  return choice;
}

// The page's choices: what it plays, watches or replays.
std::string ConfigJson(const BoardOptions& options, const PlaySetup& setup) {
  const char* mode = options.watchFile ? "watch" : options.replayFile ? "replay" : "play";
  Json engines = Json::array();
  for (const BoardEngine& engine : setup.engines) {
    Json sizes = Json::array();
    for (int size = match::kSmallestBoardSize; size <= match::kLargestBoardSize; ++size) {
      if (!ChoiceProblem(setup, {engines.size(), Side::X, Rule::Freestyle, size}))
        sizes.push_back(size);
    }
    engines.push_back({{"command", tools::ShownText(engine.program.command)},
                       {"protocol", match::ProtocolName(engine.program.protocol)},
                       {"fiverow", engine.fiverow},
                       {"sizes", std::move(sizes)}});
  }
  Json rules = Json::array();
  for (const auto& [rule, name] : match::kRuleNames.entries) rules.push_back(name);
  return JsonText({{"mode", mode},
                   {"engines", std::move(engines)},
                   {"rules", std::move(rules)},
                   {"turnSeconds", setup.time.turnSeconds}});
}

// Streams `followed` to the page as server-sent events: its snapshot now and
// after each change, a comment line while nothing changes.
class Streams {
 public:
  bool Open(
      httplib::Response& response, std::shared_ptr<Followed> followed,
      std::function<void()> closed = [] {}) {
    if (++open_ > kMostStreams) {
      --open_;
      SendProblem(response, 503, "too many pages follow this server at once");
      return false;
    }
    auto seen = std::make_shared<std::uint64_t>(0);
    response.set_chunked_content_provider(
        "text/event-stream",
        [followed, seen](std::size_t, httplib::DataSink& sink) {
          const std::optional<Snapshot> next = followed->Next(*seen, kHeartbeat);
          if (!next) {
            sink.done();
            return true;
          }
          const std::string text =
              next->version == *seen ? ": waiting\n\n" : "data: " + next->json + "\n\n";
          *seen = next->version;
          if (!sink.write(text.data(), text.size())) return false;
          std::this_thread::sleep_for(kStreamPause);
          return true;
        },
        [this, closed](bool) {
          closed();
          --open_;
        });
    return true;
  }

 private:
  std::atomic<int> open_{0};
};

PlaySetup SetupOf(const BoardOptions& options) {
  const match::CommandPlace place = match::ThisCommandPlace();
  std::vector<std::string> commands = options.engineCommands;
  if (commands.empty()) commands.push_back(match::DefaultEngineCommand(place));
  PlaySetup setup;
  for (const std::string& command : commands) {
    BoardEngine engine{match::ChooseEngine(command, place)};
    const std::string& program = engine.program.argv.front();
    engine.fiverow =
        program == place.toolFolder + "/fiverow" || program == place.toolFolder + "/pbrain-fiverow";
    setup.engines.push_back(std::move(engine));
  }
  setup.limits = options.limits;
  setup.time = options.time;
  return setup;
}

void AddPlayRoutes(httplib::Server& server, GameTable& table, Streams& streams) {
  server.Post("/api/games", [&](const httplib::Request& request, httplib::Response& response) {
    std::string problem;
    const std::optional<GameChoice> choice = ChoiceOf(request.body, problem);
    std::shared_ptr<WebGame> game = choice ? table.Create(*choice, problem) : nullptr;
    if (!game) return SendProblem(response, choice ? 409 : 400, problem);
    SendJson(response, game->Now(), 201);
  });
  // The game the address names, or 404.
  using GamePointer = std::shared_ptr<WebGame>;
  const auto withGame = [&](auto act) {
    return [&table, act](const httplib::Request& request, httplib::Response& response) {
      const GamePointer game = table.Find(request.matches[1]);
      if (!game) return SendProblem(response, 404, "this game has ended");
      act(game, request, response);
    };
  };
  server.Get(kGamePath,
             withGame([](const GamePointer& game, const auto&, httplib::Response& response) {
               game->Touch();
               SendJson(response, game->Now());
             }));
  server.Get(
      std::string(kGamePath) + "/events",
      withGame([&streams](const GamePointer& game, const auto&, httplib::Response& response) {
        game->Follow();
        if (!streams.Open(response, game, [game] { game->Unfollow(); })) game->Unfollow();
      }));
  const auto action = [&](const std::string& name, auto act) {
    server.Post(std::string(kGamePath) + "/" + name,
                withGame([act](const GamePointer& game, const httplib::Request& request,
                               httplib::Response& response) {
                  const std::optional<std::string> problem = act(*game, request.body);
                  if (problem) return SendProblem(response, 409, *problem);
                  SendJson(response, game->Now());
                }));
  };
  action("move", [](WebGame& game, const std::string& body) -> std::optional<std::string> {
    const Json request = Json::parse(body, nullptr, false);
    const std::optional<Move> cell =
        request.is_object() ? CellOf(request.value("cell", Json()), match::kLargestBoardSize)
                            : std::nullopt;
    if (!cell) return "the move is not a cell";
    return game.Play(*cell);
  });
  action("takeback", [](WebGame& game, const std::string&) { return game.TakeBack(); });
  action("resign", [](WebGame& game, const std::string&) { return game.Resign(); });
  action("new", [](WebGame& game, const std::string& body) -> std::optional<std::string> {
    std::string problem;
    const std::optional<GameChoice> choice = ChoiceOf(body, problem);
    if (!choice) return problem;
    return game.NewGame(*choice);
  });
}

void WaitForStop() {
  pollfd stop{match::StopNotificationFd(), POLLIN, 0};
  while (::poll(&stop, 1, -1) < 0 && errno == EINTR) {
  }
}

}  // namespace

int RunBoard(const BoardOptions& options, std::ostream& out, std::ostream& err) {
  try {
    match::CatchStopSignals();
    match::AdoptOrphans();
    if (options.limits.memoryBytes) match::MemoryGroups::Delegated();
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

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    server.set_payload_max_length(kLargestRequest);
    // Not the library's SO_REUSEPORT, which would let a second server share
    // the port and take some of the requests: a taken port is an error.
    server.set_socket_options([](socket_t socket) {
      const int yes = 1;
      ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_keep_alive_timeout(2);
    server.set_default_headers({{"Content-Security-Policy", kContentPolicy},
                                {"Cache-Control", "no-store"},
                                {"Referrer-Policy", "no-referrer"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"X-Frame-Options", "DENY"}});
    std::optional<Guard> guard;
    server.set_pre_routing_handler(
        [&guard](const httplib::Request& request, httplib::Response& response) {
          const std::optional<std::string> refusal =
              guard->Refusal(request.get_header_value("Host"), request.get_header_value("Origin"),
                             request.get_param_value("t"));
          if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
          response.status = 403;
          response.set_content("refused: " + *refusal + "\n", "text/plain; charset=utf-8");
          return httplib::Server::HandlerResponse::Handled;
        });
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
      if (response.body.empty())
        response.set_content("no such page\n", "text/plain; charset=utf-8");
    });
    for (const PageFile& file : PageFiles()) {
      if (file.name == "index.html") {
        // The page's links to its scripts and styles carry the token.
        server.Get("/", [&guard, &file](const httplib::Request&, httplib::Response& response) {
          std::string page(file.bytes);
          for (std::size_t at = page.find(kTokenMark); at != std::string::npos;
               at = page.find(kTokenMark, at))
            page.replace(at, kTokenMark.size(), guard->token());
          response.set_content(page, std::string(file.type));
        });
        continue;
      }
      std::string path = "/";
      path += file.name;
      server.Get(path, [&file](const httplib::Request&, httplib::Response& response) {
        response.set_content(file.bytes.data(), file.bytes.size(), std::string(file.type));
      });
    }
    const std::string config = ConfigJson(options, setup);
    server.Get("/api/config", [&config](const httplib::Request&, httplib::Response& response) {
      SendJson(response, config);
    });
    server.Post("/api/analysis", [](const httplib::Request& request, httplib::Response& response) {
      std::string problem;
      std::optional<AnalysisRequest> analysis = AnalysisRequestOf(request.body, problem);
      std::optional<std::string> view;
      if (analysis) view = Analyse(*analysis, problem);
      if (!view) return SendProblem(response, 400, problem);
      SendJson(response, *view);
    });
    Streams streams;
    if (table) AddPlayRoutes(server, *table, streams);
    if (watch) {
      server.Get("/api/watch", [&watch](const httplib::Request&, httplib::Response& response) {
        SendJson(response, watch->Now());
      });
      server.Get("/api/watch/events", [&](const httplib::Request&, httplib::Response& response) {
        streams.Open(response, watch);
      });
    }
    if (options.replayFile) {
      server.Get("/api/replay", [&replay](const httplib::Request&, httplib::Response& response) {
        SendJson(response, replay);
      });
    }

    const int port = options.port == 0 ? server.bind_to_any_port(options.listen)
                     : server.bind_to_port(options.listen, options.port) ? options.port
                                                                         : -1;
    if (port < 0) {
      throw match::RefereeError("cannot listen on " + HostText(options.listen) + ":" +
                                std::to_string(options.port) +
                                " (is the port taken, or the address not this machine's?)");
    }
    guard.emplace(RandomHex(), options.listen, port);
    const std::string host = HostText(IsWildcard(options.listen) ? "127.0.0.1" : options.listen);
    out << "fiverow-board: " << what << "\nhttp://" << host << ":" << port
        << "/?t=" << guard->token() << "\n"
        << std::flush;
    if (!out) {
      err << "fiverow-board: cannot write to standard output: " << std::strerror(errno) << "\n";
      return 1;
    }
    if (!IsLoopback(options.listen)) {
      err << "fiverow-board: warning: listening on " << HostText(options.listen)
          << ", so other machines can reach the page; anyone who sees its address can use it\n";
    }

    if (watch) watch->Start();
    std::atomic<bool> listening{true};
    std::thread listener([&] {
      server.listen_after_bind();
      listening = false;
      match::InterruptWaits();
    });
    WaitForStop();
    // Every page's stream ends, then the server's threads, then the games:
    // their engines are ended and their folders removed.
    if (table) table->CloseAll();
    if (watch) watch->Stop();
    while (listening) {
      server.stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    listener.join();
    table.reset();
    const bool signalled = match::StopRequested();
    err << (signalled ? "fiverow-board: stopped\n" : "fiverow-board: the server failed\n");
    return signalled ? 0 : 1;
  } catch (const match::RefereeError& failure) {
    err << "fiverow-board: " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace fiverow::board
