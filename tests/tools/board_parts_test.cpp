// fiverow-board's parts in-process, on every system: who may use it, the
// takeback, the scoring of a position, and a watched events file as it is
// read, grows, goes and comes anew.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <tuple>

#include "board/Analysis.h"
#include "board/BoardOptions.h"
#include "board/Guard.h"
#include "board/MatchWatch.h"
#include "board/WebGame.h"

namespace fiverow::board {
namespace {

using nlohmann::json;

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

// A folder of its own, removed at the end.
class Folder {
 public:
  Folder()
      : path_(std::filesystem::temp_directory_path() / ("fiverow-board-test-" + RandomHex(8))) {
    std::filesystem::create_directory(path_);
  }
  ~Folder() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void Append(const std::string& path, const std::string& lines) {
  std::ofstream(path, std::ios::app | std::ios::binary) << lines;
}

std::string Started(const std::string& engine) {
  return R"({"event":"match-started","engines":[{"label":"A","command":")" + engine +
         R"(","protocol":"file"},{"label":"B","command":"b","protocol":"file"}],"games":2,)"
         R"("size":20,"rule":"freestyle","sprt":null})"
         "\n"
         R"({"event":"game-started","game":1,"x":0,"o":1,"opening":[[9,9]]})"
         "\n";
}

TEST(BoardWatch, FollowsTheFileAsItGrowsIsRemovedAndIsWrittenAnew) {
  const Folder folder;
  const std::string path = folder / "events.jsonl";
  MatchWatch watch(path);
  watch.Poll();
  Append(path, Started("first"));
  while (watch.Poll()) {
  }
  Append(path, R"({"event":"move","game":1,"side":"o","move":[10,)");  // half a line
  watch.Poll();
  EXPECT_EQ(json::parse(watch.Now())["boards"][0]["stones"].size(), 1u);
  Append(path, "10]}\n");
  watch.Poll();
  EXPECT_EQ(json::parse(watch.Now())["boards"][0]["stones"], json::parse("[[9,9],[10,10]]"));
  // The writer may remove it while it is read (on Windows too).
  std::error_code removed;
  std::filesystem::remove(path, removed);
  EXPECT_FALSE(removed) << removed.message();
  watch.Poll();
  Append(path, Started("second"));
  while (watch.Poll()) {
  }
  const json state = json::parse(watch.Now());
  EXPECT_EQ(state["match"]["engines"][0]["command"], "second");
  EXPECT_EQ(state["boards"][0]["stones"], json::parse("[[9,9]]"));
  EXPECT_EQ(state["skipped"], 0);
}

}  // namespace
}  // namespace fiverow::board
