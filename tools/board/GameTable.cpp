#include "board/GameTable.h"

#include <vector>

#include "board/Guard.h"

namespace fiverow::board {

GameTable::GameTable(const PlaySetup& setup) : setup_(setup) {
  sweeper_ = std::thread([this] { Sweep(); });
}

GameTable::~GameTable() { CloseAll(); }

std::shared_ptr<WebGame> GameTable::Create(const GameChoice& choice, std::string& problem) {
  if (std::optional<std::string> wrong = ChoiceProblem(setup_, choice)) {
    problem = *wrong;
    return nullptr;
  }
  std::unique_lock lock(mutex_);
  if (games_.size() >= kMostGames) {
    lock.unlock();
    EndAlone(kGiveWaySeconds, false);
    lock.lock();
  }
  if (closed_ || games_.size() >= kMostGames) {
    problem = "there are " + std::to_string(kMostGames) +
              " games open already: close a tab, or come back in a while";
    return nullptr;
  }
  std::string id = RandomHex(16);
  auto game = std::make_shared<WebGame>(id, setup_, choice);
  games_.emplace(std::move(id), game);
  return game;
}

std::shared_ptr<WebGame> GameTable::Find(const std::string& id) const {
  const std::lock_guard lock(mutex_);
  const auto found = games_.find(id);
  return found == games_.end() ? nullptr : found->second;
}

void GameTable::EndAlone(double seconds, bool all) {
  std::vector<std::shared_ptr<WebGame>> ended;
  {
    const std::lock_guard lock(mutex_);
    auto longest = games_.end();
    double longestSeconds = seconds;
    for (auto it = games_.begin(); it != games_.end(); ++it) {
      const double alone = it->second->SecondsAlone();
      if (alone < seconds) continue;
      if (all) {
        ended.push_back(it->second);
      } else if (alone >= longestSeconds) {
        longest = it;
        longestSeconds = alone;
      }
    }
    if (longest != games_.end()) ended.push_back(longest->second);
    for (const auto& game : ended) games_.erase(game->id());
  }
  // Waited for outside the lock: an engine may be finishing its move.
  for (const auto& game : ended) game->Close();
}

void GameTable::Sweep() {
  std::unique_lock lock(mutex_);
  while (!closed_) {
    closing_.wait_for(lock, std::chrono::seconds(5));
    if (closed_) break;
    lock.unlock();
    EndAlone(kAbandonedSeconds, true);
    lock.lock();
  }
}

void GameTable::CloseAll() {
  std::map<std::string, std::shared_ptr<WebGame>> games;
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    games.swap(games_);
  }
  closing_.notify_all();
  if (sweeper_.joinable()) sweeper_.join();
  for (auto& [id, game] : games) game->Close();
  // Each game's thread is joined as its last owner lets it go.
  games.clear();
}

}  // namespace fiverow::board
