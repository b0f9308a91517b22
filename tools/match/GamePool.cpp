#include "match/GamePool.h"

#include <system_error>

#include "match/RefereeError.h"
#include "match/StopSignals.h"

namespace fiverow::match {

GamePool::GamePool(int threads, Play play) : play_(std::move(play)) {
  try {
    for (int slot = 0; slot < threads; ++slot) workers_.emplace_back(&GamePool::Work, this, slot);
  } catch (const std::system_error& error) {
    Stop();
    throw RefereeError(SystemErrorText("cannot start a thread", error.code().value()));
  }
}

GamePool::~GamePool() { Stop(); }

void GamePool::Add(int game, GameSetup setup) {
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back({game, std::move(setup)});
  }
  queued_.notify_one();
}

PlayedGame GamePool::Take(int game) {
  std::unique_lock lock(mutex_);
  played_.wait(lock, [&] { return done_.contains(game) || (closed_ && game > lastStarted_); });
  const auto found = done_.find(game);
  if (found == done_.end()) {
    PlayedGame unplayed;
    unplayed.game = game;
    unplayed.failure = std::make_exception_ptr(Interrupted());
    return unplayed;
  }
  PlayedGame played = std::move(found->second);
  done_.erase(found);
  return played;
}

int GamePool::Running() const {
  const std::lock_guard lock(mutex_);
  return running_;
}

void GamePool::Stop() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    if (running_ > 0) InterruptWaits();
  }
  queued_.notify_all();
  played_.notify_all();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

void GamePool::Work(int slot) {
  std::unique_lock lock(mutex_);
  while (true) {
    queued_.wait(lock, [this] { return closed_ || !queue_.empty(); });
    if (closed_) return;
    Queued next = std::move(queue_.front());
    queue_.pop_front();
    lastStarted_ = next.game;
    ++running_;
    lock.unlock();

    PlayedGame played;
    try {
      played = play_(next.game, next.setup, slot);
    } catch (...) {
      played.failure = std::current_exception();
    }
    played.game = next.game;

    lock.lock();
    --running_;
    // The match ends at a game that failed: no later game is wanted.
    if (played.failure && !closed_) {
      closed_ = true;
      queued_.notify_all();
    }
    done_.emplace(played.game, std::move(played));
    played_.notify_all();
  }
}

}  // namespace fiverow::match
