#include "match/Schedule.h"

namespace fiverow::match {

GameSetup Schedule::Next() {
  GameSetup setup;
  setup.game = next_++;
  const bool firstOfPair = setup.game % 2 == 1;
  setup.opening = openings_.At(static_cast<std::size_t>(setup.game - 1) / 2);
  setup.engines[Side::X] = firstOfPair ? 0 : 1;
  setup.engines[Side::O] = firstOfPair ? 1 : 0;
  return setup;
}

}  // namespace fiverow::match
