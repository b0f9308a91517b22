// How each engine of a match has done so far: its own figures, the points of
// every pair of engines, and the rating tally of A against B.
#pragma once

#include <vector>

#include "game/GameResult.h"
#include "match/Schedule.h"
#include "stats/Crosstable.h"
#include "stats/Rating.h"

namespace fiverow::match {

struct EngineStats {
  int wins = 0;
  int draws = 0;
  int losses = 0;
  int illegalMoves = 0;  // wrong text, an occupied cell, a cell off the board, a
                         // forbidden move
  int timeOuts = 0;
  int crashes = 0;                  // a non-zero exit status, a fatal signal, a ruined folder
  int outOfMemory = 0;              // over its memory limit
  int restarts = 0;                 // started afresh after a fault of its process, in all
  RestartCounts restartsAfter;      // the same, by the fault
  std::vector<double> moveSeconds;  // of every move it was asked for
};

struct PlayedGame {
  GameSetup setup;
  GameResult result;
};

class Standings {
 public:
  explicit Standings(std::size_t engines) : engines_(engines), crosstable_(engines) {}

  // Adds a game; games must come in game order, so that A's games against B
  // pair up.
  void Add(const PlayedGame& played);

  // How many times an engine was started afresh after a fault, by the fault.
  void SetRestarts(EngineIndex engine, const RestartCounts& restarts);
  // The total alone, where the faults are not known (merged shards).
  void SetRestarts(EngineIndex engine, int total) { engines_[engine].restarts = total; }

  const std::vector<EngineStats>& engines() const { return engines_; }
  // Each pair's points and games, and each engine's points.
  const Crosstable& crosstable() const { return crosstable_; }
  // A's results against B; games of other engines are not in it.
  const RatingTally& tally() const { return tally_; }

 private:
  std::vector<EngineStats> engines_;
  Crosstable crosstable_;
  RatingTally tally_;
};

}  // namespace fiverow::match
