// A match played as shards (--shard K/N --events FILE) and merged (--merge)
// prints what the match played whole prints, and a merge refuses files that
// are not the whole of one match.
#include <gtest/gtest.h>

#include <regex>

#include "Contains.h"
#include "ToolRun.h"

namespace fiverow::testing {
namespace {

const std::string kMatch = FIVEROW_MATCH_PATH;
const std::string kFakeEngine = FIVEROW_FAKE_ENGINE_PATH;

ToolResult Match(const TempFolder& tmp, std::vector<std::string> args) {
  args.insert(args.begin(), kMatch);
  return RunTool(args, tmp.path(), {{"TMPDIR", tmp.path()}, {"NO_COLOR", "1"}});
}

// What does not depend on timing: the median move times masked.
std::string Untimed(const std::string& text) {
  return std::regex_replace(text, std::regex(R"( *[0-9.]+ (ms|s)\b)"), " T");
}

// Plays `args` whole and as three shards, and merges the shards.
void ExpectShardsMergeAsWhole(const std::vector<std::string>& args) {
  const TempFolder tmp;
  std::vector<std::string> whole = args;
  whole.insert(whole.end(), {"--sgf", "whole.sgf"});
  const ToolResult played = Match(tmp, whole);
  ASSERT_EQ(played.status, 0) << played.err;
  std::vector<std::string> merge = {"--merge"};
  for (const std::string shard : {"1", "2", "3"}) {
    std::vector<std::string> sharded = args;
    sharded.insert(sharded.end(), {"--shard", shard + "/3", "--events", shard + ".events"});
    const ToolResult result = Match(tmp, sharded);
    ASSERT_EQ(result.status, 0) << result.err;
    merge.push_back(shard + ".events");
  }
  merge.insert(merge.end(), {"--sgf", "merged.sgf"});
  const ToolResult merged = Match(tmp, merge);
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(Untimed(merged.out), Untimed(played.out));
  EXPECT_EQ(ReadWholeFile(tmp / "merged.sgf"), ReadWholeFile(tmp / "whole.sgf"));
}

TEST(Shards, MergeToTheSummaryOfTheMatchPlayedWhole) {
  ExpectShardsMergeAsWhole({"--games", "8", "--depth", "1", "--sprt",
                            "elo0=0,elo1=400,alpha=0.3,beta=0.3", "pbrain-fiverow",
                            "pbrain-fiverow"});
  // A tournament with an engine that fails, whose report is shown.
  ExpectShardsMergeAsWhole({"--rounds", "2", "--depth", "A:1", "--depth", "B:2", "pbrain-fiverow",
                            "pbrain-fiverow", kFakeEngine + " file fail"});
}

TEST(Shards, MergeRefusesMissingGamesAndAnotherMatchesShards) {
  const TempFolder tmp;
  const std::vector<std::string> match = {"--games",       "6", "--depth", "1", "pbrain-fiverow",
                                          "pbrain-fiverow"};
  for (const std::string shard : {"1", "2", "3"}) {
    std::vector<std::string> args = match;
    args.insert(args.end(), {"--shard", shard + "/3", "--events", shard + ".events"});
    ASSERT_EQ(Match(tmp, args).status, 0);
  }
  std::vector<std::string> other = match;
  other.insert(other.end(), {"--seed", "2", "--shard", "2/3", "--events", "other.events"});
  ASSERT_EQ(Match(tmp, other).status, 0);

  ToolResult merged = Match(tmp, {"--merge", "1.events", "3.events"});
  EXPECT_EQ(merged.status, 1);
  EXPECT_TRUE(Contains(merged.err, "games 2, 5 of 6 are missing")) << merged.err;
  merged = Match(tmp, {"--merge", "1.events", "other.events", "3.events"});
  EXPECT_EQ(merged.status, 1);
  EXPECT_TRUE(Contains(merged.err, "other.events is a shard of another match than 1.events"))
      << merged.err;
  merged = Match(tmp, {"--merge", "1.events", "2.events", "3.events", "2.events"});
  EXPECT_EQ(merged.status, 1);
  EXPECT_TRUE(Contains(merged.err, "game 2 is in both 2.events and 2.events")) << merged.err;
  EXPECT_EQ(merged.out, "");
  // A game with an engine the match does not have.
  std::string tampered = ReadWholeFile(tmp / "2.events");
  const std::size_t ended = tampered.find("{\"event\":\"game-ended\"");
  tampered.replace(tampered.find("\"x\":", ended), 5, "\"x\":7");
  WriteWholeFile(tmp / "2.events", tampered);
  merged = Match(tmp, {"--merge", "1.events", "2.events", "3.events"});
  EXPECT_EQ(merged.status, 1);
  EXPECT_TRUE(Contains(merged.err, "not two of the match's")) << merged.err;
}

TEST(Shards, OptionsThatCannotGoTogetherAndNoSlurmAreRefused) {
  const TempFolder tmp;
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--shard", "4/3"},
                                               {"--slurm", "2", "--events", "x.events"},
                                               {"--slurm", "2", "--shard", "1/2"},
                                               {"--cluster-dir", "shards"},
                                               {"--merge", "1.events", "--games", "2"},
                                               {"--shard", "1/2", "human"}}) {
    EXPECT_EQ(Match(tmp, args).status, 2) << args[0] << " " << args[1];
  }
  // Without Slurm's commands on PATH.
  const ToolResult result = RunTool({kMatch, "--slurm", "2", "--games", "4", "pbrain-fiverow"},
                                    tmp.path(), {{"PATH", tmp.path()}, {"TMPDIR", tmp.path()}});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "cannot run sbatch")) << result.err;
}

}  // namespace
}  // namespace fiverow::testing
