// The games of a match, in game order. Every pair of engines (a round-robin),
// or the first engine with each other one (a gauntlet), plays a number of
// games in each round: each opening twice, the pair's first engine on x in
// the first game and the second in the next. In each round every pair plays
// the same openings, the round's share of the schedule's openings by index,
// so that pairs are compared on equal terms.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "game/Opening.h"
#include "game/Sides.h"
#include "match/OpeningSchedule.h"

namespace fiverow::match {

// The engines of a match in the order given: 0 is A, 1 is B, ...
using EngineIndex = std::size_t;

struct GameSetup {
  int game = 0;  // numbered from 1
  Opening opening;
  PerSide<EngineIndex> engines{};
};

struct Pairing {
  std::size_t engines = 2;
  bool gauntlet = false;  // the first engine against each other one
  int rounds = 1;
  int gamesPerPair = 1;  // in each round; each opening is played twice
};

// The pairs of engines that meet, first engine first.
std::vector<std::pair<EngineIndex, EngineIndex>> PairsOf(const Pairing& pairing);

// The games of a match by `pairing`: every round, each pair's games.
int GameCount(const Pairing& pairing);

class Schedule {
 public:
  Schedule(const Pairing& pairing, OpeningSchedule openings);

  int games() const { return games_; }
  // Game `number` (1 to games()); best asked for in game order.
  GameSetup At(int number);

 private:
  Pairing pairing_;
  std::vector<std::pair<EngineIndex, EngineIndex>> pairs_;
  OpeningSchedule openings_;
  int games_;
};

}  // namespace fiverow::match
