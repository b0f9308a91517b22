// Plays a match's games on worker threads, several at once, and hands them
// back in game order.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "match/Referee.h"

namespace fiverow::match {

// A game as the match reports it.
struct PlayedGame {
  int game = 0;
  GameSetup setup;
  GameResult result;
  PerPlayer<std::vector<double>> moveSeconds;  // of every engine run
  std::string shown;                           // its output, held back until its turn
  std::exception_ptr failure;                  // why it was not played to its end
};

class GamePool {
 public:
  // Plays `game` on the worker `slot` (0 to threads - 1), on that worker's
  // thread; what it throws comes back as the game's failure.
  using Play = std::function<PlayedGame(int game, const GameSetup& setup, int slot)>;

  // Starts the workers. Throws RefereeError when a thread cannot be started.
  GamePool(int threads, Play play);
  // Stop().
  ~GamePool();
  GamePool(const GamePool&) = delete;
  GamePool& operator=(const GamePool&) = delete;

  // Queues the next game; games start in the order they were added.
  void Add(int game, GameSetup setup);
  // Waits until `game` has been played and hands it back; a game that will
  // not be played (the pool was stopped, or an earlier one failed) comes
  // back with Interrupted as its failure.
  PlayedGame Take(int game);
  // The games being played now.
  int Running() const;
  // Starts no more games, ends the ones being played (every wait for an
  // engine ends, see InterruptWaits), and waits for the workers.
  void Stop();

 private:
  struct Queued {
    int game;
    GameSetup setup;
  };
  void Work(int slot);

  Play play_;
  mutable std::mutex mutex_;
  std::condition_variable queued_;  // a game was queued, or the pool closed
  std::condition_variable played_;  // a game was played
  std::deque<Queued> queue_;
  std::map<int, PlayedGame> done_;
  int running_ = 0;
  int lastStarted_ = 0;
  bool closed_ = false;  // no more games start
  std::vector<std::thread> workers_;
};

}  // namespace fiverow::match
