// fiverow-board with engines: a person's game against an engine on its own
// thread, and the events fiverow-match writes for the board to watch.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ToolRun.h"
#include "board/WebGame.h"
#include "players/EngineProgram.h"

namespace fiverow::board {
namespace {

using fiverow::testing::ReadWholeFile;
using fiverow::testing::RunTool;
using fiverow::testing::TempFolder;
using nlohmann::json;

const std::string kFakeEngine = FIVEROW_FAKE_ENGINE_PATH;
const std::string kMatch = FIVEROW_MATCH_PATH;

// The state a game shows once `done` holds of it.
json StateWhen(WebGame& game, const std::function<bool(const json&)>& done) {
  std::uint64_t seen = 0;
  for (int i = 0; i < 200; ++i) {
    const std::optional<Snapshot> next = game.Next(seen, std::chrono::milliseconds(100));
    if (!next) break;
    seen = next->version;
    const json state = json::parse(next->json);
    if (done(state)) return state;
  }
  ADD_FAILURE() << "the game never got there: " << game.Now();
  return json::parse(game.Now());
}

bool PersonToMove(const json& state) { return state["phase"] == "your-move"; }

TEST(BoardGame, APersonPlaysTakesBackAndWinsAgainstAnEngine) {
  PlaySetup setup;
  setup.engines.push_back(
      {match::ChooseEngine("file:" + kFakeEngine + " file first", match::ThisCommandPlace())});
  WebGame game("test", setup, {0, Side::X, Rule::Freestyle, 20});
  StateWhen(game, PersonToMove);
  EXPECT_EQ(game.Play({9, 9}), std::nullopt);
  EXPECT_TRUE(game.Play({9, 10}));  // not while the engine thinks
  StateWhen(game, PersonToMove);
  EXPECT_TRUE(game.Play({0, 0}));  // the engine's stone
  EXPECT_EQ(game.Play({10, 9}), std::nullopt);
  StateWhen(game, [](const json& state) { return state["stones"].size() == 4; });
  EXPECT_EQ(game.TakeBack(), std::nullopt);
  json state = StateWhen(game, [](const json& next) {
    return PersonToMove(next) && next["stones"] == json::parse("[[9,9],[0,0]]");
  });
  for (const int x : {10, 11, 12, 13}) {
    EXPECT_EQ(game.Play({x, 9}), std::nullopt);
    state = StateWhen(game, [](const json& next) { return next["phase"] != "thinking"; });
  }
  EXPECT_EQ(state["phase"], "over");
  EXPECT_EQ(state["result"]["winner"], "x");
  EXPECT_EQ(state["result"]["reason"], "you (x) made five in a row with 13,9");
  EXPECT_TRUE(game.Resign());
  // A new game with the engine moving first, then the game closed mid-turn.
  EXPECT_EQ(game.NewGame({0, Side::O, Rule::Renju, 20}), std::nullopt);
  state = StateWhen(game, [](const json& next) { return next["stones"].size() == 1; });
  EXPECT_EQ(state["rule"], "renju");
  EXPECT_TRUE(game.NewGame({0, Side::O, Rule::Renju, 15}));  // a file engine plays 20 x 20 only
}

TEST(EventStream, WritesTheMatchAsItIsPlayedOneEventALine) {
  const TempFolder folder;
  const auto result =
      RunTool({kMatch, "--games", "2", "--opening", "9,9", "--events", folder / "events.jsonl",
               "fiverow", "file:" + kFakeEngine + " file first"});
  ASSERT_EQ(result.status, 0) << result.err;
  std::vector<json> events;
  std::istringstream lines(ReadWholeFile(folder / "events.jsonl"));
  for (std::string line; std::getline(lines, line);) events.push_back(json::parse(line));
  ASSERT_GE(events.size(), 6u);
  EXPECT_EQ(events.front()["event"], "match-started");
  EXPECT_EQ(events.front()["engines"][1]["command"], "file:" + kFakeEngine + " file first");
  EXPECT_EQ(events[1],
            json::parse(R"({"event":"game-started","game":1,"x":0,"o":1,"opening":[[9,9]]})"));
  EXPECT_EQ(events[2]["event"], "move");
  EXPECT_EQ(events[2]["side"], "o");
  EXPECT_EQ(events[2]["move"], json::parse("[0,0]"));
  const json& ended = events.back();
  EXPECT_EQ(ended["event"], "match-ended");
  EXPECT_EQ(ended["standings"]["engines"][0]["wins"], 2);
  EXPECT_EQ(ended["standings"]["points"], json::parse("[[0.0,2.0],[0.0,0.0]]"));
  EXPECT_EQ(ended["standings"]["elo"]["elo"], "inf");

  const auto full = RunTool({kMatch, "--events", "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("cannot write the events file /dev/full"), std::string::npos) << full.err;
}

}  // namespace
}  // namespace fiverow::board
