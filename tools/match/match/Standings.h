// How each engine of a match has done so far, and the rating tally of A
// against B.
#pragma once

#include <vector>

#include "game/GameResult.h"
#include "match/Schedule.h"
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
  std::vector<double> moveSeconds;  // of every move it was asked for
};

struct PlayedGame {
  GameSetup setup;
  GameResult result;
};

class Standings {
 public:
  explicit Standings(std::size_t engines) : engines_(engines) {}

  // Adds a game; games must come in game order, so that they pair up.
  void Add(const PlayedGame& played);

  const std::vector<EngineStats>& engines() const { return engines_; }
  // A's results against B.
  const RatingTally& tally() const { return tally_; }

 private:
  std::vector<EngineStats> engines_;
  RatingTally tally_;
};

}  // namespace fiverow::match
