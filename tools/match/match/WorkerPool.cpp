#include "match/WorkerPool.h"

#include <system_error>

#include "process/EngineSetup.h"
#include "process/RefereeError.h"
#include "process/StopSignals.h"

namespace fiverow::match {

WorkerPool::WorkerPool(int workers, Play play) : play_(std::move(play)), inline_(workers == 1) {
  if (inline_) return;
  try {
    for (int slot = 0; slot < workers; ++slot) workers_.emplace_back(&WorkerPool::Work, this, slot);
  } catch (const std::system_error& error) {
    Stop();
    throw RefereeError(SystemErrorText("cannot start a thread", error.code().value()));
  }
}

WorkerPool::~WorkerPool() { Stop(); }

void WorkerPool::Add(GameSetup setup) {
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back(std::move(setup));
  }
  queued_.notify_one();
}

WorkerPool::Outcome WorkerPool::PlayOne(const GameSetup& setup, int slot) {
  Outcome outcome;
  outcome.played.setup = setup;
  try {
    outcome.played.result = play_(setup, slot);
  } catch (...) {
    outcome.failure = std::current_exception();
  }
  return outcome;
}

WorkerPool::Outcome WorkerPool::Take(int game) {
  Outcome unplayed;
  unplayed.played.setup.game = game;
  unplayed.failure = std::make_exception_ptr(Interrupted());
  std::unique_lock lock(mutex_);
  if (inline_) {
    if (closed_ || queue_.empty() || queue_.front().game != game) return unplayed;
    const GameSetup setup = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    return PlayOne(setup, 0);
  }
  played_.wait(lock, [&] { return done_.contains(game) || (closed_ && game > lastStarted_); });
  const auto found = done_.find(game);
  if (found == done_.end()) return unplayed;
  Outcome outcome = std::move(found->second);
  done_.erase(found);
  return outcome;
}

int WorkerPool::Running() const {
  const std::lock_guard lock(mutex_);
  return running_;
}

void WorkerPool::Stop() {
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
  // What the workers' engines left to them is the main thread's now.
  if (!workers_.empty()) KillStrays();
}

void WorkerPool::Work(int slot) {
  std::unique_lock lock(mutex_);
  while (true) {
    queued_.wait(lock, [this] { return closed_ || !queue_.empty(); });
    if (closed_) return;
    const GameSetup next = std::move(queue_.front());
    queue_.pop_front();
    lastStarted_ = next.game;
    ++running_;
    lock.unlock();

    Outcome outcome = PlayOne(next, slot);

    lock.lock();
    --running_;
    // The match ends at a game that failed: no later game is wanted.
    if (outcome.failure && !closed_) {
      closed_ = true;
      queued_.notify_all();
    }
    done_.emplace(next.game, std::move(outcome));
    played_.notify_all();
  }
}

}  // namespace fiverow::match
