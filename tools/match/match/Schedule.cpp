#include "match/Schedule.h"

namespace fiverow::match {

std::vector<std::pair<EngineIndex, EngineIndex>> PairsOf(const Pairing& pairing) {
  std::vector<std::pair<EngineIndex, EngineIndex>> pairs;
  for (EngineIndex first = 0; first < pairing.engines; ++first) {
    for (EngineIndex second = first + 1; second < pairing.engines; ++second) {
      if (!pairing.gauntlet || first == 0) pairs.emplace_back(first, second);
    }
  }
  return pairs;
}

int GameCount(const Pairing& pairing) {
  return pairing.rounds * static_cast<int>(PairsOf(pairing).size()) * pairing.gamesPerPair;
}

Schedule::Schedule(const Pairing& pairing, OpeningSchedule openings)
    : pairing_(pairing),
      pairs_(PairsOf(pairing)),
      openings_(std::move(openings)),
      games_(GameCount(pairing)) {}

GameSetup Schedule::At(int number) {
  GameSetup setup;
  setup.game = number;
  const int index = setup.game - 1;
  const int perRound = static_cast<int>(pairs_.size()) * pairing_.gamesPerPair;
  const int round = index / perRound;
  const int inRound = index % perRound;
  const auto [first, second] = pairs_[static_cast<std::size_t>(inRound / pairing_.gamesPerPair)];
  const int game = inRound % pairing_.gamesPerPair;
  // Each round takes the next openings, one for every two games of a pair.
  const int openingsPerRound = (pairing_.gamesPerPair + 1) / 2;
  setup.opening = openings_.At(static_cast<std::size_t>(round * openingsPerRound + game / 2));
  setup.engines[Side::X] = game % 2 == 0 ? first : second;
  setup.engines[Side::O] = game % 2 == 0 ? second : first;
  return setup;
}

}  // namespace fiverow::match
