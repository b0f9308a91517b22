// Plays a match's games on worker threads, several at once, and hands them
// back in game order. With one worker, each game is played on the thread
// that takes it, so that it can be shown as it is played.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "match/Standings.h"

namespace fiverow::match {

class WorkerPool {
 public:
  // Plays a game on the worker `slot` (0 to workers - 1).
  using Play = std::function<GameResult(const GameSetup& setup, int slot)>;

  // Starts the workers. Throws RefereeError when a thread cannot be started.
  WorkerPool(int workers, Play play);
  // Stop().
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Queues the next game; games start in the order they were added.
  void Add(GameSetup setup);

  // A game played, or why not: what its play threw, or Interrupted for a
  // game that will not be played (the pool was stopped, or an earlier game
  // failed).
  struct Outcome {
    PlayedGame played;
    std::exception_ptr failure;
  };
  // Waits until `game` has been played and hands it back.
  Outcome Take(int game);
  // The games being played now.
  int Running() const;
  // Starts no more games, ends the ones being played (every wait for an
  // engine ends, see InterruptWaits), and waits for the workers.
  void Stop();

 private:
  Outcome PlayOne(const GameSetup& setup, int slot);
  void Work(int slot);

  Play play_;
  bool inline_;
  mutable std::mutex mutex_;
  std::condition_variable queued_;  // a game was queued, or the pool closed
  std::condition_variable played_;  // a game was played
  std::deque<GameSetup> queue_;
  std::map<int, Outcome> done_;
  int running_ = 0;
  int lastStarted_ = 0;
  bool closed_ = false;  // no more games start
  std::vector<std::thread> workers_;
};

}  // namespace fiverow::match
