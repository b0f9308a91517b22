#include "board/Analysis.h"

#include <memory>

#include "board/Json.h"
#include "engine/Driver.h"
#include "explain/HeatMap.h"
#include "explain/PassListing.h"
#include "explain/Ranking.h"
#include "files/PositionReader.h"

namespace fiverow::board {

namespace {

Json PassesJson(RunState& state, Move cell) {
  Json rows = Json::array();
  const std::vector<explain::ListedPass> passes = explain::ListPasses(state, cell);
  for (const explain::ListedPass& pass : passes) {
    rows.push_back({{"direction", {pass.direction.dx, pass.direction.dy}},
                    {"side", std::string(1, explain::StoneCharOf(pass.examinedCode))},
                    {"own", pass.own},
                    {"line", explain::LineText(pass)},
                    {"tier", explain::TierText(pass.trace.tier)},
                    {"rows", explain::RowsText(pass.trace.rows)},
                    {"adds", pass.trace.amount}});
  }
  return {
      {"cell", CellJson(cell)}, {"rows", std::move(rows)}, {"total", explain::PassTotal(passes)}};
}

}  // namespace

std::optional<AnalysisRequest> AnalysisRequestOf(const std::string& body, std::string& problem) {
  const Json request = Json::parse(body, nullptr, false);
  if (!request.is_object()) {
    problem = "the request is not a JSON object";
    return std::nullopt;
  }
  AnalysisRequest analysis;
  std::vector<bool> taken(kPlayCells, false);
  for (const char* side : {"x", "o"}) {
    const Json& stones = request.contains(side) ? request[side] : Json::array();
    if (!stones.is_array() || stones.size() > static_cast<std::size_t>(kPlayCells)) {
      problem = std::string("\"") + side + "\" is not a list of cells";
      return std::nullopt;
    }
    for (const Json& stone : stones) {
      const std::optional<Move> cell = CellOf(stone, kPlaySize);
      if (!cell || taken[static_cast<std::size_t>(cell->y * kPlaySize + cell->x)]) {
        problem = "a stone is off the 20 x 20 board, or on a cell taken already";
        return std::nullopt;
      }
      taken[static_cast<std::size_t>(cell->y * kPlaySize + cell->x)] = true;
      (side[0] == 'x' ? analysis.x : analysis.o).push_back(*cell);
    }
  }
  const std::optional<match::Side> turn = SideOf(request.value("turn", Json()));
  if (!turn) {
    problem = "\"turn\" is not \"x\" or \"o\"";
    return std::nullopt;
  }
  analysis.toPlay = *turn;
  if (request.contains("cell")) {
    analysis.cell = CellOf(request["cell"], kPlaySize);
    if (!analysis.cell) {
      problem = "\"cell\" is not a cell of the board";
      return std::nullopt;
    }
  }
  return analysis;
}

std::optional<std::string> Analyse(const AnalysisRequest& request, std::string& problem) {
  // The record as reading Plocha.dat and Tah.dat would fill it.
  auto state = std::make_unique<RunState>();
  for (const Move stone : request.x) state->board.cell(stone.x, stone.y) = CellCodeOf('x');
  for (const Move stone : request.o) state->board.cell(stone.x, stone.y) = CellCodeOf('o');
  state->emptyCount = kPlayCells - static_cast<Int32>(request.x.size() + request.o.size());
  state->ownCode = CellCodeOf(match::StoneChar(request.toPlay));
  if (state->emptyCount <= 0) {
    problem = "the board is full";
    return std::nullopt;
  }
  const Move chosen = ChooseMove(*state);

  const Int32 highest = explain::HighestScore(*state);
  Json scores = Json::array();
  Json levels = Json::array();
  for (Int32 y = 0; y < kPlaySize; ++y) {
    Json scoreRow = Json::array();
    Json levelRow = Json::array();
    for (Int32 x = 0; x < kPlaySize; ++x) {
      const Int32 score = state->scoreGrid.cell(x, y);
      scoreRow.push_back(score);
      levelRow.push_back(explain::HeatLevel(score, highest));
    }
    scores.push_back(std::move(scoreRow));
    levels.push_back(std::move(levelRow));
  }
  Json best = Json::array();
  for (const explain::ScoredCell& cell : explain::TopCells(*state, explain::kBestCellsShown))
    best.push_back({{"cell", CellJson(cell.cell)}, {"score", cell.score}});
  return JsonText({{"turn", SideJson(request.toPlay)},
                   {"chosen", CellJson(chosen)},
                   {"scores", std::move(scores)},
                   {"levels", std::move(levels)},
                   {"best", std::move(best)},
                   {"passes", request.cell ? PassesJson(*state, *request.cell) : Json(nullptr)}});
}

}  // namespace fiverow::board
