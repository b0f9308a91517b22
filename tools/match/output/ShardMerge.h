// The shards of a match (fiverow-match --shard K/N --events FILE) merged
// back into the match: its description and its games in game order, read
// from the shards' event files, so that the match's summary can be reported
// as if it had been played whole.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "match/Match.h"
#include "match/MatchSink.h"

namespace fiverow::match {

struct MergedShards {
  MatchPlan plan;        // the engines as described: commands for people, nothing to run
  std::string openings;  // the line about the openings, as the match showed it
  std::map<int, PlayedGame> games;
  std::vector<int> restarts;  // by engine, of every shard that ended
};

// Reads the event files. Throws RefereeError when one cannot be read or
// holds no match, when they are not all shards of one match (the same
// engines, options and seed), or when a game is in two of them.
MergedShards ReadShards(const std::vector<std::string>& files);

// What a merge through game `through` (the match's last by default) holds:
// the games missing before the SPRT decided or the end, and the game it
// decided at.
using GameRange = std::pair<int, int>;  // first and last
struct MergeCheck {
  std::vector<GameRange> missing;
  std::optional<int> decidedAt;
};
MergeCheck CheckShards(const MergedShards& merged, std::optional<int> through = std::nullopt);

// Tells `sinks` the match as it would have been reported played whole: its
// start, each game in game order until the SPRT decides, and its end. Only
// after a check found no game missing.
void ReportShards(const MergedShards& merged, MatchSink& sinks);

// "3, 7-9, 12".
std::string GameListText(const std::vector<GameRange>& ranges);

}  // namespace fiverow::match
