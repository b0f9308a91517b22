#include "board/HttpServer.h"
#include "board/Routes.h"

namespace fiverow::board {

void AddReplayRoutes(httplib::Server& server, std::string game) {
  server.Get("/api/replay",
             [game = std::move(game)](const httplib::Request&, httplib::Response& response) {
               SendJson(response, game);
             });
}

}  // namespace fiverow::board
