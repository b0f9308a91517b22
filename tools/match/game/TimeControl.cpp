#include "game/TimeControl.h"

#include <algorithm>

#include "process/Deadline.h"

namespace fiverow::match {

void GameClock::Spend(double seconds) {
  if (left_) left_ = std::max(0.0, *left_ - seconds) + control_.incrementSeconds;
}

std::string GameClock::TimeOutReason() const {
  return (ByMatchTime() ? "ran out of its match time of " + SecondsText(*control_.matchSeconds)
                        : "ran over the time limit of " + SecondsText(Limit())) +
         ": no move came within it plus the margin of " + SecondsText(control_.marginSeconds);
}

}  // namespace fiverow::match
