#include "match/Standings.h"

namespace fiverow::match {

void Standings::Add(const PlayedGame& played) {
  const GameSetup& setup = played.setup;
  const GameResult& result = played.result;
  for (const Side side : kSides) {
    std::vector<double>& all = engines_[setup.engines[side]].moveSeconds;
    all.insert(all.end(), result.moveSeconds[side].begin(), result.moveSeconds[side].end());
  }
  const EngineIndex x = setup.engines[Side::X];
  const EngineIndex o = setup.engines[Side::O];
  const bool aAgainstB = (x == 0 && o == 1) || (x == 1 && o == 0);
  if (!result.winner) {
    for (const Side side : kSides) ++engines_[setup.engines[side]].draws;
    crosstable_.Add(x, o, 0.5);
    if (aAgainstB) tally_.Add(GameOutcome::Draw);
    return;
  }
  const EngineIndex winner = setup.engines[*result.winner];
  const EngineIndex loserIndex = setup.engines[Opponent(*result.winner)];
  EngineStats& loser = engines_[loserIndex];
  ++engines_[winner].wins;
  ++loser.losses;
  crosstable_.Add(winner, loserIndex, 1);
  if (aAgainstB) tally_.Add(winner == 0 ? GameOutcome::Win : GameOutcome::Loss);
  switch (result.ending) {
    case Ending::BadText:
    case Ending::Occupied:
    case Ending::Forbidden: ++loser.illegalMoves; break;
    case Ending::TimeOut: ++loser.timeOuts; break;
    case Ending::ExitStatus:
    case Ending::Signal:
    case Ending::Folder: ++loser.crashes; break;
    case Ending::Memory: ++loser.outOfMemory; break;
    case Ending::Five:
    case Ending::BoardFull:
    case Ending::DrawAfter:
    case Ending::Resigned: break;
  }
}

void Standings::SetRestarts(EngineIndex engine, const RestartCounts& restarts) {
  EngineStats& stats = engines_[engine];
  stats.restartsAfter = restarts;
  stats.restarts = 0;
  for (const auto& [fault, count] : restarts) stats.restarts += count;
}

}  // namespace fiverow::match
