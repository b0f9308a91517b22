// The events file from writer to reader: what EventStream writes holds to
// the one description (MatchEvents.h), describes the match whole, and is
// what fiverow-board --watch shows.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ToolRun.h"
#include "board/MatchWatch.h"
#include "output/EventStream.h"
#include "output/MatchEvents.h"

namespace fiverow::match {
namespace {

using fiverow::testing::ReadWholeFile;
using fiverow::testing::TempFolder;
using nlohmann::json;

MatchPlan TwoEngines() {
  MatchPlan plan;
  for (const char* command : {"./new", "pipe:./old"}) {
    MatchEngine engine;
    engine.label = EngineLabel(plan.engines.size());
    engine.program.command = command;
    engine.program.protocol = plan.engines.empty() ? Protocol::File : Protocol::Pipe;
    plan.engines.push_back(engine);
  }
  plan.engines[1].time.matchSeconds = 60;
  plan.engines[1].limits.info = {{"max_depth", "8"}};
  plan.pairing = {2, false, 2, 1};
  plan.games = 4;
  plan.drawAfter = 100;
  plan.sprt = SprtParameters{0, 10, 0.05, 0.05};
  return plan;
}

PlayedGame Played(int game, std::optional<Side> winner) {
  PlayedGame played;
  played.setup = {game, {{9, 9}}, {}};
  played.setup.engines[Side::X] = game % 2 == 1 ? 0 : 1;
  played.setup.engines[Side::O] = game % 2 == 1 ? 1 : 0;
  played.result.moves = {{10, 10}, {11, 11}};
  played.result.moveSeconds[Side::O] = {0.25};
  played.result.moveSeconds[Side::X] = {0.5};
  played.result.winner = winner;
  played.result.ending = winner ? Ending::TimeOut : Ending::DrawAfter;
  played.result.reason = winner ? "B (o) ran out of time" : "drawn after 3 moves";
  played.result.names[Side::X] = "new\x1b";
  played.result.engineOutput = "out of time\r\n\x01";
  return played;
}

// A short match told through the sink interface, as RunMatch tells it; the
// file's lines.
std::vector<std::string> Written(const MatchPlan& plan, const std::string& path,
                                 OpeningsSource openings = {}) {
  {
    EventStream stream(path, plan, std::move(openings));
    stream.MatchStarted();
    Standings standings(plan.engines.size());
    for (int game = 1; game <= 2; ++game) {
      const PlayedGame played = Played(game, game == 1 ? std::optional(Side::X) : std::nullopt);
      std::unique_ptr<GameEvents> feed = stream.GameStarted(played.setup);
      feed->OnMove(Position(20), {10, 10}, Side::O, 0.25);
      feed->OnNote({0, Side::O, NoteKind::Message, "depth <4>"});
      standings.Add(played);
      stream.GameEnded(played, standings);
    }
    stream.SprtUpdated(*plan.sprt, EvaluateSprt(*plan.sprt, standings.tally()));
    standings.SetRestarts(1, 3);
    stream.MatchEnded(standings);
  }
  std::vector<std::string> lines;
  std::istringstream text(ReadWholeFile(path));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

TEST(MatchEvents, WhatIsWrittenHoldsToTheDescriptionAndTheWatchShowsIt) {
  const TempFolder folder;
  const MatchPlan plan = TwoEngines();
  const std::vector<std::string> lines = Written(plan, folder / "events.jsonl");
  ASSERT_EQ(lines.size(), 11u);
  board::MatchWatch watch(folder / "events.jsonl");
  for (const std::string& line : lines) {
    EXPECT_EQ(events::EventProblem(json::parse(line), events::Check::Written), std::nullopt)
        << line;
    watch.Take(line);
  }
  const json state = json::parse(watch.Now());
  EXPECT_EQ(state["skipped"], 0);
  EXPECT_EQ(state["match"]["engines"][1]["command"], "pipe:./old");
  EXPECT_EQ(state["match"]["games"], 4);
  ASSERT_EQ(state["results"].size(), 2u);
  EXPECT_EQ(state["results"][0]["winner"], "x");
  EXPECT_TRUE(state["results"][1]["winner"].is_null());
  EXPECT_EQ(state["boards"][1]["stones"], json::parse("[[9,9],[10,10]]"));
  EXPECT_EQ(state["boards"][1]["notes"][0]["text"], "depth <4>");
  EXPECT_EQ(state["standings"]["engines"][0]["points"], 1.5);
  EXPECT_EQ(state["standings"]["engines"][1]["restarts"], 3);
  EXPECT_EQ(state["sprt"]["points"].size(), 1u);
  EXPECT_TRUE(state["ended"]);

  // Each game whole, for a summary rebuilt from the file alone.
  const json ended = json::parse(lines[4]);
  EXPECT_EQ(ended["game"], 1);
  EXPECT_EQ(ended["round"], 1);
  EXPECT_EQ(ended["opening"], json::parse("[[9,9]]"));
  EXPECT_EQ(ended["line"], json::parse("[[10,10],[11,11]]"));
  EXPECT_EQ(ended["seconds"], json::parse(R"({"x":[0.5],"o":[0.25]})"));
  EXPECT_EQ(ended["ending"], "time-out");
  EXPECT_EQ(ended["names"][0], "new\\x1b");
  EXPECT_EQ(ended["engineOutput"], json::parse(R"(["out of time","\\x01"])"));
  EXPECT_EQ(json::parse(lines[8])["round"], 2);
}

TEST(MatchEvents, TheFirstEventDescribesTheMatchAndNamesIt) {
  const TempFolder folder;
  const MatchPlan plan = TwoEngines();
  OpeningsSource openings{OpeningsSource::Kind::File,
                          {},
                          "book.txt",
                          OpeningFormat::Pos,
                          OpeningOrder::Random,
                          2,
                          OpeningsDigest({{{9, 9}}, {{3, 4}}}),
                          true,
                          7};
  const json first = json::parse(Written(plan, folder / "a.jsonl", openings).front());
  EXPECT_EQ(first["engines"][1]["limits"]["info"][0]["value"], "8");
  EXPECT_EQ(first["openings"],
            json::parse(R"({"source":"file","file":"book.txt","format":"pos","order":"random",)"
                        R"("count":2,"digest":")" +
                        OpeningsDigest({{{9, 9}}, {{3, 4}}}) + R"(","symmetries":true,"seed":7})"));
  EXPECT_NE(OpeningsDigest({{{9, 9}}, {{3, 4}}}), OpeningsDigest({{{3, 4}}, {{9, 9}}}));

  // The same match again has the same id and a run of its own; a match that
  // differs in anything that decides its games has another id.
  const json again = json::parse(Written(plan, folder / "b.jsonl", openings).front());
  EXPECT_EQ(again["id"], first["id"]);
  EXPECT_NE(again["run"], first["run"]);
  openings.seed = 8;
  const json reseeded = json::parse(Written(plan, folder / "c.jsonl", openings).front());
  EXPECT_NE(reseeded["id"], first["id"]);
}

TEST(MatchWatch, SkipsStandingsThatAreNotOfTheirShape) {
  const TempFolder folder;
  const std::vector<std::string> lines = Written(TwoEngines(), folder / "events.jsonl");
  board::MatchWatch watch(folder / "events.jsonl");
  watch.Take(lines[0]);
  const json ended = json::parse(lines[4]);
  std::vector<json> bad(5, ended);
  bad[0]["standings"] = nullptr;
  bad[1]["standings"]["points"].erase(1);
  bad[2]["standings"].erase("games");
  bad[3]["standings"]["engines"][0]["wins"] = "1";
  bad[4]["standings"]["engines"].erase(1);  // one engine of two
  for (const json& event : bad) watch.Take(event.dump());
  json state = json::parse(watch.Now());
  EXPECT_EQ(state["skipped"], bad.size());
  EXPECT_TRUE(state["standings"].is_null());
  watch.Take(ended.dump());
  state = json::parse(watch.Now());
  EXPECT_EQ(state["standings"]["points"], ended["standings"]["points"]);
}

TEST(MatchWatch, StartsOverForAMatchWrittenAnewAndReadsPastALongLineAtOnce) {
  const TempFolder folder;
  const std::string path = folder / "events.jsonl";
  Written(TwoEngines(), path);
  board::MatchWatch watch(path);
  while (watch.Poll()) {
  }
  // Another match into the same file, longer than the first: the page shows
  // it alone.
  MatchPlan other = TwoEngines();
  other.engines[0].program.command = "./another-engine-whose-name-makes-the-file-longer";
  const std::vector<std::string> lines = Written(other, path);
  while (watch.Poll()) {
  }
  json state = json::parse(watch.Now());
  EXPECT_EQ(state["match"]["engines"][0]["command"], other.engines[0].program.command);
  EXPECT_EQ(state["skipped"], 0);
  EXPECT_EQ(state["results"].size(), 2u);

  std::ofstream(path, std::ios::app) << std::string(3 * board::MatchWatch::kLineLimit, 'x') << "\n"
                                     << lines[9] << "\n";  // another SPRT point
  watch.Poll();
  state = json::parse(watch.Now());
  EXPECT_EQ(state["skipped"], 1);
  EXPECT_EQ(state["sprt"]["points"].size(), 2u);
}

}  // namespace
}  // namespace fiverow::match
