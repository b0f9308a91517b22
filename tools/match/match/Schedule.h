// The games of a match between engines A and B, in game order: each opening
// is played twice, A on x in the odd-numbered game and B in the next, so
// games 2k + 1 and 2k + 2 play opening index k.
#pragma once

#include <cstddef>

#include "game/Opening.h"
#include "game/Sides.h"
#include "match/OpeningSchedule.h"

namespace fiverow::match {

// The engines of a match in the order given: 0 is A, 1 is B.
using EngineIndex = std::size_t;

struct GameSetup {
  int game = 0;  // numbered from 1
  Opening opening;
  PerSide<EngineIndex> engines{};
};

class Schedule {
 public:
  Schedule(int games, OpeningSchedule openings) : games_(games), openings_(std::move(openings)) {}

  int games() const { return games_; }
  // The next game; only while there are games left.
  GameSetup Next();

 private:
  int games_;
  OpeningSchedule openings_;
  int next_ = 1;
};

}  // namespace fiverow::match
