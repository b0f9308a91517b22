// What people read, pinned in files under tests/snapshots/: the referee's
// board view, result lines and match summary, the explainer's output for the
// example position (heat map, best cells, the --cell table) and both --help
// texts. After an intended change, rewrite them with
//   FIVEROW_UPDATE_SNAPSHOTS=1 ctest --preset dev -R Snapshots
// and review the difference with git diff before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

#include "ToolRun.h"
#include "match/BoardView.h"
#include "match/Summary.h"

namespace fiverow::testing {
namespace {

using namespace fiverow::match;

void ExpectSnapshot(const std::string& name, const std::string& actual) {
  const std::string path = std::string(FIVEROW_SOURCE_DIR) + "/tests/snapshots/" + name;
  const char* update = std::getenv("FIVEROW_UPDATE_SNAPSHOTS");
  if (update != nullptr && std::string_view(update) == "1") return WriteWholeFile(path, actual);
  EXPECT_EQ(actual, ReadWholeFile(path))
      << path << " differs; if the change is intended, rewrite it with\n"
      << "  FIVEROW_UPDATE_SNAPSHOTS=1 ctest --preset dev -R Snapshots";
}

TEST(Snapshots, RefereeBoard) {
  Position position;
  Side side = Side::X;
  for (const Move move : {Move{9, 9}, {10, 10}, {10, 9}, {0, 0}, {11, 9}, {19, 19}}) {
    position.Place(move, side);
    side = Opponent(side);
  }
  ExpectSnapshot("referee-board.txt", RenderBoard(position, Move{11, 9}, false));
}

TEST(Snapshots, RefereeResultLinesAndSummary) {
  PerPlayer<Engine> engines;
  engines[Player::A] = {"A", "build/release/fiverow", {}};
  engines[Player::B] = {"B", "python3 engine.py --depth 2", {}};
  struct Game {
    Player x;
    std::optional<Side> winner;
    Ending ending;
    const char* reason;
    std::size_t moves;
  };
  const Game games[] = {
      {Player::A, Side::X, Ending::Five, "A (x) made five in a row with 9,10", 31},
      {Player::B, Side::X, Ending::TimeOut, "A (o) ran over the time limit of 5 s", 12},
      {Player::A, std::nullopt, Ending::BoardFull, "the board is full", 396},
      {Player::B, Side::O, Ending::Occupied, "B (x) played 3,4, an occupied cell", 1},
  };
  std::string text;
  PerPlayer<EngineStats> stats;
  RatingTally tally;
  int number = 0;
  for (const Game& game : games) {
    const GameSetup setup{{}, game.x};
    GameResult result;
    result.winner = game.winner;
    result.ending = game.ending;
    result.reason = game.reason;
    result.moves.resize(game.moves);
    text += ResultLine(++number, 4, engines, setup, result);
    CountGame(stats, setup, result);
    tally.Add(OutcomeOfA(setup, result));
  }
  stats[Player::A].moveSeconds = {0.004, 0.0031, 5.2};
  stats[Player::B].moveSeconds = {0.25, 0.5};
  GameResult single;
  single.winner = Side::O;
  single.reason = "B (o) made six in a row with 0,5";
  text += ResultLine(1, 1, engines, GameSetup{}, single);
  ExpectSnapshot("referee-results.txt", text + "\n" + MatchSummary(engines, stats, tally));
}

TEST(Snapshots, ExplainerOnTheExamplePosition) {
  const ToolResult result =
      RunTool({FIVEROW_EXPLAIN_PATH, "--cell", "8,12", FIVEROW_SOURCE_DIR "/examples/midgame"}, "",
              {{"NO_COLOR", "1"}});
  EXPECT_EQ(result.status, 0) << result.err;
  ExpectSnapshot("explain-midgame.txt", result.out);
}

TEST(Snapshots, HelpTexts) {
  ExpectSnapshot("match-help.txt", RunTool({FIVEROW_MATCH_PATH, "--help"}).out);
  ExpectSnapshot("explain-help.txt", RunTool({FIVEROW_EXPLAIN_PATH, "--help"}).out);
}

}  // namespace
}  // namespace fiverow::testing
