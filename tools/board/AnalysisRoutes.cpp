#include "board/Analysis.h"
#include "board/HttpServer.h"
#include "board/Routes.h"

namespace fiverow::board {

void AddAnalysisRoutes(httplib::Server& server) {
  server.Post("/api/analysis", [](const httplib::Request&, httplib::Response& response,
                                  const httplib::ContentReader& reader) {
    const std::optional<std::string> body = BodyOf(reader, response);
    if (!body) return;
    std::string problem;
    std::optional<AnalysisRequest> analysis = AnalysisRequestOf(*body, problem);
    std::optional<std::string> view;
    if (analysis) view = Analyse(*analysis, problem);
    if (!view) return SendProblem(response, 400, problem);
    SendJson(response, *view);
  });
}

}  // namespace fiverow::board
