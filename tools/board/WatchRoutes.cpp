#include "board/HttpServer.h"
#include "board/Routes.h"

namespace fiverow::board {

void AddWatchRoutes(httplib::Server& server, const std::shared_ptr<MatchWatch>& watch,
                    Streams& streams) {
  server.Get("/api/watch", [watch](const httplib::Request&, httplib::Response& response) {
    SendJson(response, watch->Now());
  });
  server.Get("/api/watch/events",
             [watch, &streams](const httplib::Request&, httplib::Response& response) {
               streams.Open(response, watch);
             });
}

}  // namespace fiverow::board
