// fiverow-match's command line: defaults, values per engine and bad usage.
#include <gtest/gtest.h>

#include "cli/MatchOptions.h"

namespace fiverow::match {
namespace {

TEST(MatchOptionsParsing, DefaultsSuitOneGameOrAMatch) {
  const MatchOptions one = ParseMatchOptions({});
  EXPECT_EQ(one.TotalGames(), 1);
  EXPECT_EQ(one.ShowOrDefault(), Show::Each);
  EXPECT_FALSE(one.RandomOpenings());
  const MatchOptions many = ParseMatchOptions({"--games", "20"});
  EXPECT_EQ(many.ShowOrDefault(), Show::None);
  EXPECT_TRUE(many.RandomOpenings());
  EXPECT_TRUE(ParseMatchOptions({"--seed", "3"}).RandomOpenings());
  // A person sees the end of each game.
  const MatchOptions person = ParseMatchOptions({"human"});
  EXPECT_EQ(person.ShowOrDefault(), Show::End);
  const MatchOptions given = ParseMatchOptions({"--games=6", "--opening", "9,9 10,10", "a", "b c"});
  EXPECT_FALSE(given.RandomOpenings());
  EXPECT_EQ(given.engineCommands, (std::vector<std::string>{"a", "b c"}));
}

TEST(MatchOptionsParsing, TournamentsCountTheirGamesAndTakeValuesPerEngine) {
  // Three engines play every pair twice a round; a gauntlet of four, the
  // first against three others.
  EXPECT_EQ(ParseMatchOptions({"a", "b", "c"}).TotalGames(), 6);
  EXPECT_EQ(ParseMatchOptions({"--gauntlet", "--games", "4", "--rounds", "2", "a", "b", "c", "d"})
                .TotalGames(),
            24);
  const MatchOptions options =
      ParseMatchOptions({"--time-limit", "2", "--time-limit", "B:0.5", "--engine-option",
                         "C:hash_size=64 MB", "a", "b", "c"});
  EXPECT_EQ(options.timeLimit.For(0), 2.0);
  EXPECT_EQ(options.timeLimit.For(1), 0.5);
  ASSERT_EQ(options.engineOptions.size(), 1u);
  EXPECT_EQ(options.engineOptions[0].engine, 2u);
  EXPECT_EQ(options.engineOptions[0].value, "64 MB");
}

TEST(MatchOptionsParsing, RejectsBadUsage) {
  const std::vector<std::vector<std::string>> bad = {
      {"--games", "0"},
      {"--games", "x"},
      {"--time-limit", "0"},
      {"--time-limit", "-1"},
      {"--time-limit", "nan"},
      {"--time-limit"},
      {"--show", "some"},
      {"--opening", "9,9 9,9"},
      {"--frobnicate"},
      {"--keep=maybe"},
      {"--replay", "f", "engine"},
      {"--seed", "-3"},
      {"--rule", "gomoku"},
      {"--openings", "f", "--opening", "9,9"},
      {"--opening", "9,9", "--openings", "f"},
      {"--openings-format", "pos"},
      {"--openings-order", "random"},
      {"--symmetries"},
      {"--openings", "f", "--openings-format", "sgf"},
      {"--openings", "f", "--openings-order", "shuffled"},
      {"--replay", "f", "--openings", "g"},
      {"--max-memory", "0"},
      {"--match-time", "x"},
      {"--replay", "f", "--rule", "standard", "--time-limit", "3"},
      {"--replay", "f", "--games", "3"},
      {"a", "b", "c", "--games", "3"},
      {"--time-limit", "C:1"},
      {"--engine-option", "B:time_left=1"},
      {"--engine-option", "B:TIMEOUT_TURN=1"},
      {"--games", "65536", "--rounds", "65536"},
      {"--games", "1000000", "--rounds", "3000"},
      {"--engine-option", "B:hash=\x01"},
      {"--gauntlet"},
      {"a", "b", "c", "--games", "10", "--sprt", "elo0=0,elo1=5,alpha=0.05,beta=0.05"},
      {"--board-size", "14"},
      {"--board-size", "23"},
      {"--opening", "15,0", "--board-size", "15"},  // read at the size given after it
      {"--game", "2"},
      {"--replay", "f", "--sgf", "g"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(ParseMatchOptions(args), UsageError) << args.front() << " " << args.back();
  }
  EXPECT_NO_THROW(ParseMatchOptions({"--replay", "f", "--show", "end", "--game", "2"}));
  EXPECT_EQ(ParseMatchOptions({"--board-size", "22", "--opening", "21,21"}).opening,
            (Opening{{21, 21}}));
}

}  // namespace
}  // namespace fiverow::match
