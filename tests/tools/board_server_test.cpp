// fiverow-board's parts in-process: who may use it, a person's game against
// an engine on its own thread, the reading of a watched events file, and the
// events fiverow-match writes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <tuple>

#include "ToolRun.h"
#include "board/Analysis.h"
#include "board/BoardOptions.h"
#include "board/Guard.h"
#include "board/MatchWatch.h"
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

TEST(BoardOptions, TakeTheRefereesTimeControl) {
  const match::TimeControl time = ParseBoardOptions({"--time-limit", "5", "--match-time", "10",
                                                     "--increment", "2", "--time-margin", "0.5"})
                                      .time;
  EXPECT_EQ(
      std::tuple(time.turnSeconds, time.matchSeconds, time.incrementSeconds, time.marginSeconds),
      std::tuple(5.0, std::optional(10.0), 2.0, 0.5));
}

TEST(BoardGuard, NeedsTheTokenTheServersHostAndItsOwnOrigin) {
  const Guard guard("secret", "127.0.0.1", 8080);
  EXPECT_FALSE(guard.Refusal("127.0.0.1:8080", "", "secret"));
  EXPECT_FALSE(guard.Refusal("LOCALHOST:8080", "http://localhost:8080", "secret"));
  EXPECT_TRUE(guard.Refusal("127.0.0.1:8080", "", ""));
  EXPECT_TRUE(guard.Refusal("127.0.0.1:8080", "", "secreT"));
  EXPECT_TRUE(guard.Refusal("127.0.0.1:8080", "", "secret2"));
  EXPECT_TRUE(guard.Refusal("attacker.example:8080", "", "secret"));  // DNS rebinding
  EXPECT_TRUE(guard.Refusal("127.0.0.1:8081", "", "secret"));
  EXPECT_TRUE(guard.Refusal("127.0.0.1:8080", "http://attacker.example", "secret"));
  // Listening everywhere, any name of the machine will do; the token still must.
  const Guard open("secret", "::", 80);
  EXPECT_FALSE(open.Refusal("board.lan", "http://board.lan", "secret"));
  EXPECT_TRUE(open.Refusal("board.lan", "", "other1"));
  EXPECT_EQ(RandomHex().size(), 64u);
  EXPECT_NE(RandomHex(), RandomHex());
  EXPECT_TRUE(IsLoopback("127.0.0.2") && IsLoopback("::1"));
  EXPECT_FALSE(IsLoopback("0.0.0.0") || IsLoopback("192.168.1.2"));
}

TEST(BoardTakeBack, GoesBackToThePersonsLastMove) {
  const std::vector<Move> stones = {{9, 9}, {10, 10}, {9, 10}, {11, 11}, {9, 11}};
  // x's last move, and o's answer to the one before it.
  EXPECT_EQ(TakenBack(stones, Side::X), std::vector<Move>(stones.begin(), stones.begin() + 4));
  EXPECT_EQ(TakenBack(stones, Side::O), std::vector<Move>(stones.begin(), stones.begin() + 3));
  EXPECT_FALSE(TakenBack({{9, 9}}, Side::O));
  EXPECT_FALSE(TakenBack({}, Side::X));
}

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

// Two engines' standings, B's win over A.
const std::string kStandings =
    R"({"engines":[{"wins":0,"draws":0,"losses":1,"illegal":0,"timeOuts":0,"crashes":0,)"
    R"("restarts":0,"points":0,"games":1,"medianMoveSeconds":0.1,"note":"<i>"},)"
    R"({"wins":1,"draws":0,"losses":0,"illegal":0,"timeOuts":0,"crashes":0,"restarts":0,)"
    R"("points":1,"games":1,"medianMoveSeconds":0.1}],"points":[[0,0],[1,0]],)"
    R"("games":[[0,1],[1,0]],"tally":{"wins":0,"draws":0,"losses":1,"pairs":[0,0,0,0,0]},)"
    R"("elo":{"elo":"-inf","margin":"inf","los":0}})";

TEST(BoardWatch, KeepsOnlyWhatIsCheckedFromTheEventsFile) {
  MatchWatch watch("events.jsonl");
  for (
      const std::string& line : std::vector<std::string>{
          R"({"event":"move","game":1,"side":"x","move":[1,1]})",  // before any match
          R"({"event":"match-started","engines":[{"label":"A","command":"a\u001b[2J","protocol":"file"},)"
          R"({"label":"B","command":"<b>b</b>","protocol":"pipe"}],"games":2,"size":20,)"
          R"("rule":"freestyle","sprt":null})",
          R"({"event":"game-started","game":1,"x":0,"o":1,"opening":[[9,9]]})",
          R"({"event":"move","game":1,"side":"o","move":[10,10],"seconds":0.1})",
          R"({"event":"move","game":1,"side":"x","move":[20,3]})",          // off the board
          R"({"event":"move","game":7,"side":"x","move":[1,3]})",           // no such game
          R"({"event":"game-started","game":2,"x":0,"o":5,"opening":[]})",  // no such engine
          R"({"event":"game-ended","game":1,"x":0,"o":1,"winner":"o","ending":"five",)"
          R"("reason":"B made five","moves":1,"standings":)" +
              kStandings + "}",
          "not json",
          R"({"event":"sprt","games":2,"llr":"<script>","lower":-2.9,"upper":2.9,"decision":"continue"})",
          // Nested too deep to copy.
          R"({"event":"match-started","engines":[],"games":2,"size":20,"rule":"freestyle",)"
          R"("sprt":{"elo0":0,"elo1":5,"alpha":0.05,"beta":0.05,"deep":)" +
              std::string(200000, '[') + std::string(200000, ']') + "}}",
      }) {
    watch.Take(line);
  }
  const json state = json::parse(watch.Now());
  EXPECT_EQ(state["skipped"], 6);  // counted from the match's start
  EXPECT_EQ(state["match"]["engines"][0]["command"], "a\\x1b[2J");
  EXPECT_EQ(state["match"]["engines"][1]["command"], "<b>b</b>");  // text, shown as text
  ASSERT_EQ(state["boards"].size(), 1u);
  EXPECT_EQ(state["boards"][0]["stones"], json::parse("[[9,9],[10,10]]"));
  EXPECT_EQ(state["boards"][0]["result"]["winner"], "o");
  EXPECT_TRUE(state["standings"]["engines"][0]["note"].is_null());
  EXPECT_EQ(state["standings"]["elo"]["elo"], "-inf");
  EXPECT_TRUE(state["sprt"].is_null());
}

TEST(BoardAnalysis, RefusesPositionsItCannotScore) {
  std::string problem;
  for (const char* body :
       {"[]", R"({"x":[[20,0]],"turn":"x"})", R"({"x":[[1,1]],"o":[[1,1]],"turn":"o"})",
        R"({"turn":"y"})", R"({"turn":"x","cell":[3]})"}) {
    EXPECT_FALSE(AnalysisRequestOf(body, problem)) << body;
  }
  AnalysisRequest full;
  for (Int32 y = 0; y < 20; ++y) {
    for (Int32 x = 0; x < 20; ++x) ((x + y) % 2 == 0 ? full.x : full.o).push_back({x, y});
  }
  EXPECT_FALSE(Analyse(full, problem));
  EXPECT_EQ(problem, "the board is full");
  const json empty = json::parse(*Analyse(*AnalysisRequestOf(R"({"turn":"x"})", problem), problem));
  EXPECT_EQ(empty["chosen"], json::parse("[10,10]"));
}

TEST(BoardWatch, ShowsEachGamesMovesOnItsOwnBoard) {
  MatchWatch watch("events.jsonl");
  for (
      const std::string& line : std::vector<std::string>{
          R"({"event":"match-started","engines":[{"label":"A","command":"a","protocol":"file"},)"
          R"({"label":"B","command":"b","protocol":"file"}],"games":4,"size":20,"rule":"freestyle"})",
          R"({"event":"game-started","game":3,"x":0,"o":1,"opening":[]})",
          R"({"event":"game-started","game":2,"x":1,"o":0,"opening":[[9,9]]})",
          R"({"event":"move","game":3,"side":"x","move":[1,1]})",
          R"({"event":"move","game":2,"side":"o","move":[2,2]})",
          R"({"event":"note","game":3,"side":"x","kind":"MESSAGE","text":"hi"})",
          R"({"event":"game-ended","game":2,"x":1,"o":0,"winner":"x","ending":"five",)"
          R"("reason":"B made five","moves":1,"standings":)" +
              kStandings + "}",
      }) {
    watch.Take(line);
  }
  const json state = json::parse(watch.Now());
  EXPECT_EQ(state["skipped"], 0);
  ASSERT_EQ(state["boards"].size(), 2u);
  const json& second = state["boards"][0];
  const json& third = state["boards"][1];
  EXPECT_EQ(second["game"], 2);
  EXPECT_EQ(second["x"], 1);
  EXPECT_EQ(second["stones"], json::parse("[[9,9],[2,2]]"));
  EXPECT_EQ(second["result"]["winner"], "x");
  EXPECT_TRUE(second["notes"].empty());
  EXPECT_EQ(third["game"], 3);
  EXPECT_EQ(third["stones"], json::parse("[[1,1]]"));
  EXPECT_TRUE(third["result"].is_null());
  EXPECT_EQ(third["notes"].size(), 1u);
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
