#include "match/Seats.h"

namespace fiverow::match {

Seats::Seats(const MatchPlan& plan, const Workspace& workspace, MatchSink& sinks)
    : plan_(plan),
      workspace_(workspace),
      players_(plan.engines.size()),
      lines_(plan.engines.size()),
      restarts_(plan.engines.size()) {
  for (std::size_t engine = 0; engine < lines_.size(); ++engine) {
    lines_[engine].sinks = &sinks;
    lines_[engine].label = &plan.engines[engine].label;
    lines_[engine].game = &game_;
  }
}

Seats::~Seats() = default;

PerSide<Contestant*> Seats::For(const GameSetup& setup) {
  game_ = setup.game;
  std::vector<EngineIndex> others;
  for (EngineIndex engine = 0; engine < players_.size(); ++engine) {
    if (engine != setup.engines[Side::X] && engine != setup.engines[Side::O])
      others.push_back(engine);
  }
  Close(others);
  PerSide<Contestant*> players;
  for (const Side side : kSides) {
    const EngineIndex engine = setup.engines[side];
    std::unique_ptr<Contestant>& player = players_[engine];
    if (!player) {
      const MatchEngine& entry = plan_.engines[engine];
      player = MakePlayer({entry.label, entry.program, workspace_, entry.limits, &lines_[engine]});
    }
    players[side] = player.get();
  }
  return players;
}

void Seats::CloseAll() {
  for (const auto& player : players_) {
    if (player) player->Close();
  }
}

void Seats::AwaitAll(Clock::time_point deadline) {
  for (EngineIndex engine = 0; engine < players_.size(); ++engine) {
    if (!players_[engine]) continue;
    players_[engine]->AwaitClose(deadline);
    Forget(engine);
  }
}

void Seats::Forget(EngineIndex engine) {
  for (const auto& [fault, count] : players_[engine]->Restarts()) restarts_[engine][fault] += count;
  players_[engine].reset();
}

void Seats::Close(std::vector<EngineIndex> engines) {
  std::erase_if(engines, [this](EngineIndex engine) { return !players_[engine]; });
  if (engines.empty()) return;
  for (const EngineIndex engine : engines) players_[engine]->Close();
  const Clock::time_point deadline = DeadlineAfter(Clock::now(), kEndSeconds);
  for (const EngineIndex engine : engines) {
    players_[engine]->AwaitClose(deadline);
    Forget(engine);
  }
}

}  // namespace fiverow::match
