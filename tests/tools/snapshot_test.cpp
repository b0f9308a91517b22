// What people read, pinned in files under tests/snapshots/: the referee's
// board view, result lines, match summary and tournament summary, the
// explainer's output for the example position (heat map, best cells, the
// --cell table), the three --help texts and the --version lines. After an intended change, rewrite
// them with
//   FIVEROW_UPDATE_SNAPSHOTS=1 ctest --preset dev -R Snapshots
// and review the difference with git diff before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "ToolRun.h"
#include "game/BoardText.h"
#include "game/Game.h"
#include "output/GameText.h"
#include "output/TournamentText.h"

namespace fiverow::testing {
namespace {

using namespace fiverow::match;

// Plays the moves it is given, in turn.
class ScriptedPlayer : public Contestant {
 public:
  explicit ScriptedPlayer(std::vector<Move> moves) : moves_(std::move(moves)) {}
  std::optional<Answer> StartGame(const GameStart& /*start*/, NoteListener& /*listener*/) override {
    return std::nullopt;
  }
  Answer Play(const MoveRequest& /*request*/) override {
    Answer answer;
    answer.move = moves_.at(next_++);
    return answer;
  }

 private:
  std::vector<Move> moves_;
  std::size_t next_ = 0;
};

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
  std::vector<MatchEngine> engines(2);
  engines[0].label = EngineLabel(0);
  engines[0].program.command = "build/release/fiverow";
  engines[1].label = EngineLabel(1);
  engines[1].program.command = "python3 engine.py --depth 2";
  struct Game {
    EngineIndex x;
    std::optional<Side> winner;
    Ending ending;
    const char* reason;
    std::size_t moves;
  };
  const Game games[] = {
      {0, Side::X, Ending::Five, "A (x) made five in a row with 9,10", 31},
      {1, Side::X, Ending::TimeOut, "A (o) ran over the time limit of 5 s", 12},
      {0, std::nullopt, Ending::BoardFull, "the board is full", 396},
      {1, Side::O, Ending::Occupied, "B (x) played 3,4, an occupied cell", 1},
  };
  // Each engine's move times, spread over the games.
  const std::vector<std::vector<double>> times = {{0.004, 0.0031, 5.2}, {0.25, 0.5}};
  std::string text;
  Standings standings(2);
  int number = 0;
  for (const Game& game : games) {
    PlayedGame played;
    played.setup.engines[Side::X] = game.x;
    played.setup.engines[Side::O] = 1 - game.x;
    GameResult& result = played.result;
    result.winner = game.winner;
    result.ending = game.ending;
    result.reason = game.reason;
    result.moves.resize(game.moves);
    if (number == 0) {
      result.moveSeconds[Side::X] = times[0];
      result.moveSeconds[Side::O] = times[1];
    }
    PerSide<std::string> labels;
    for (const Side side : kSides) labels[side] = engines[played.setup.engines[side]].label;
    text += ResultLine(++number, 4, labels, result);
    standings.Add(played);
  }
  // A game played out: o joins 0,0..0,2 and 0,4..0,5 into six.
  ScriptedPlayer x({{10, 10}, {10, 12}, {12, 10}, {12, 12}, {14, 14}, {19, 19}});
  ScriptedPlayer o({{0, 0}, {0, 1}, {0, 2}, {0, 4}, {0, 5}, {0, 3}});
  GameTerms terms;
  terms.sides[Side::X].label = "A";
  terms.sides[Side::X].player = &x;
  terms.sides[Side::O].label = "B";
  terms.sides[Side::O].player = &o;
  GameEvents events;
  PerSide<std::string> labels;
  for (const Side side : kSides) labels[side] = terms.sides[side].label;
  text += ResultLine(1, 1, labels, PlayGame(terms, events));
  text += '\n';
  text += MatchSummary(engines, standings);
  ExpectSnapshot("referee-results.txt", text);
}

TEST(Snapshots, RefereeTournamentSummary) {
  std::vector<MatchEngine> engines(3);
  const char* commands[] = {"build/release/fiverow", "python3 engine.py --depth 2",
                            "./weak\tengine"};
  for (std::size_t i = 0; i < engines.size(); ++i) {
    engines[i].label = EngineLabel(i);
    engines[i].program.command = commands[i];
  }
  struct Game {
    EngineIndex x, o;
    std::optional<Side> winner;
    Ending ending;
  };
  // Each pair plays an opening twice: A takes 1.5 from B and 2 from C, and
  // B 1.5 from C; C loses once on time and once for its memory, and is
  // started afresh after each.
  const Game games[] = {
      {0, 1, Side::X, Ending::Five},    {1, 0, std::nullopt, Ending::BoardFull},
      {0, 2, Side::X, Ending::TimeOut}, {2, 0, Side::O, Ending::Five},
      {1, 2, Side::X, Ending::Memory},  {2, 1, std::nullopt, Ending::BoardFull},
  };
  Standings standings(3);
  for (const Game& game : games) {
    PlayedGame played;
    played.setup.engines[Side::X] = game.x;
    played.setup.engines[Side::O] = game.o;
    played.result.winner = game.winner;
    played.result.ending = game.ending;
    played.result.moveSeconds[Side::X] = {0.001 * static_cast<double>(1 + 10 * game.x)};
    played.result.moveSeconds[Side::O] = {0.001 * static_cast<double>(1 + 10 * game.o)};
    standings.Add(played);
  }
  standings.SetRestarts(2, {{Ending::TimeOut, 1}, {Ending::Memory, 1}});
  ExpectSnapshot("referee-tournament.txt", TournamentSummary(engines, standings));
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
  ExpectSnapshot("board-help.txt", RunTool({FIVEROW_BOARD_PATH, "--help"}).out);
}

TEST(Snapshots, EveryToolSaysTheProjectVersion) {
  for (const auto& [program, name] : {std::pair{FIVEROW_MATCH_PATH, "fiverow-match"},
                                      {FIVEROW_EXPLAIN_PATH, "fiverow-explain"},
                                      {FIVEROW_BOARD_PATH, "fiverow-board"}}) {
    const ToolResult result = RunTool({program, "--version"});
    EXPECT_EQ(result.status, 0) << name;
    EXPECT_EQ(result.out, std::string(name) + " " FIVEROW_VERSION "\n");
  }
}

}  // namespace
}  // namespace fiverow::testing
