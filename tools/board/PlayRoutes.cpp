#include <optional>

#include "board/HttpServer.h"
#include "board/Json.h"
#include "board/Routes.h"

namespace fiverow::board {

namespace {

constexpr const char* kGamePath = "/api/games/([0-9a-f]{32})";

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

}  // namespace

void AddPlayRoutes(httplib::Server& server, GameTable& table, Streams& streams) {
  server.Post("/api/games", [&](const httplib::Request&, httplib::Response& response,
                                const httplib::ContentReader& reader) {
    const std::optional<std::string> body = BodyOf(reader, response);
    if (!body) return;
    std::string problem;
    const std::optional<GameChoice> choice = ChoiceOf(*body, problem);
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
                [&table, act](const httplib::Request& request, httplib::Response& response,
                              const httplib::ContentReader& reader) {
                  const std::optional<std::string> body = BodyOf(reader, response);
                  if (!body) return;
                  const GamePointer game = table.Find(request.matches[1]);
                  if (!game) return SendProblem(response, 404, "this game has ended");
                  const std::optional<std::string> problem = act(*game, *body);
                  if (problem) return SendProblem(response, 409, *problem);
                  SendJson(response, game->Now());
                });
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

}  // namespace fiverow::board
