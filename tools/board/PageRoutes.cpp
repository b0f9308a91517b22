#include "board/HttpServer.h"
#include "board/Json.h"
#include "board/Page.h"
#include "board/Routes.h"
#include "common/EscapedText.h"

namespace fiverow::board {

namespace {

// The page's template holds this where the token goes.
constexpr std::string_view kTokenMark = "%TOKEN%";

// The page's choices: what it plays, watches or replays. Each engine by its
// program's file name, its full command beside it.
std::string ConfigJson(const BoardOptions& options, const PlaySetup& setup) {
  const char* mode = options.watchFile ? "watch" : options.replayFile ? "replay" : "play";
  Json engines = Json::array();
  for (const BoardEngine& engine : setup.engines) {
    Json sizes = Json::array();
    for (int size = match::kSmallestBoardSize; size <= match::kLargestBoardSize; ++size) {
      if (!ChoiceProblem(setup, {engines.size(), Side::X, Rule::Freestyle, size}))
        sizes.push_back(size);
    }
    engines.push_back({{"name", tools::ShownText(match::FileNameOf(engine.program.argv.front()))},
                       {"command", tools::ShownText(engine.program.command)},
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

}  // namespace

void AddPageRoutes(httplib::Server& server, const std::string& token, const BoardOptions& options,
                   const PlaySetup& setup) {
  for (const PageFile& file : PageFiles()) {
    std::string bytes(file.bytes);
    std::string path = "/";
    if (file.name == "index.html") {
      // The page's links to its scripts and styles carry the token.
      for (std::size_t at = bytes.find(kTokenMark); at != std::string::npos;
           at = bytes.find(kTokenMark, at))
        bytes.replace(at, kTokenMark.size(), token);
    } else {
      path += file.name;
    }
    server.Get(path, [bytes = std::move(bytes), type = std::string(file.type)](
                         const httplib::Request&, httplib::Response& response) {
      response.set_content(bytes, type);
    });
  }
  server.Get("/api/config", [config = ConfigJson(options, setup)](const httplib::Request&,
                                                                  httplib::Response& response) {
    SendJson(response, config);
  });
}

}  // namespace fiverow::board
