#include "match/GameShare.h"

#include <charconv>

namespace fiverow::match {

std::vector<int> GameShare::GamesOf(int games) const {
  std::vector<int> played;
  const int end = last ? std::min(*last, games) : games;
  for (int game = std::max(first, 1); game <= end; ++game) {
    if (Includes(game)) played.push_back(game);
  }
  return played;
}

bool ParseShard(const std::string& text, GameShare& share) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  int shard = 0;
  int shards = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto [shardEnd, shardError] = std::from_chars(begin, begin + slash, shard);
  const auto [shardsEnd, shardsError] = std::from_chars(begin + slash + 1, end, shards);
  if (shardError != std::errc() || shardEnd != begin + slash || shardsError != std::errc() ||
      shardsEnd != end || shard < 1 || shard > shards)
    return false;
  share.shard = shard;
  share.shards = shards;
  return true;
}

}  // namespace fiverow::match
