// The games of a match that one run plays: all of them, or one shard's share
// (games K, K+N, K+2N, ... of N shards), within a range of game numbers.
// Every game is played as in the whole match: the schedule is the same, only
// the games played are fewer.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fiverow::match {

struct GameShare {
  int shard = 1;   // K, from 1
  int shards = 1;  // N
  int first = 1;   // the range of games, numbered from 1
  std::optional<int> last;

  bool Whole() const { return shards == 1 && first == 1 && !last; }
  bool Includes(int game) const {
    return (game - 1) % shards == shard - 1 && game >= first && (!last || game <= *last);
  }
  // The games of a match of `games` this share plays, in game order.
  std::vector<int> GamesOf(int games) const;
};

// Reads "K/N" (1 <= K <= N) into `share`; false when the text is not one.
bool ParseShard(const std::string& text, GameShare& share);

}  // namespace fiverow::match
