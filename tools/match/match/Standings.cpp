#include "match/Standings.h"

namespace fiverow::match {

void Standings::Add(const PlayedGame& played) {
  const GameSetup& setup = played.setup;
  const GameResult& result = played.result;
  for (const Side side : kSides) {
    std::vector<double>& all = engines_[setup.engines[side]].moveSeconds;
    all.insert(all.end(), result.moveSeconds[side].begin(), result.moveSeconds[side].end());
  }
  if (!result.winner) {
    for (const Side side : kSides) ++engines_[setup.engines[side]].draws;
    tally_.Add(GameOutcome::Draw);
    return;
  }
  const EngineIndex winner = setup.engines[*result.winner];
  EngineStats& loser = engines_[setup.engines[Opponent(*result.winner)]];
  ++engines_[winner].wins;
  ++loser.losses;
  tally_.Add(winner == 0 ? GameOutcome::Win : GameOutcome::Loss);
  switch (result.ending) {
    case Ending::BadText:
    case Ending::Occupied:
    case Ending::Forbidden: ++loser.illegalMoves; break;
    case Ending::TimeOut: ++loser.timeOuts; break;
    case Ending::ExitStatus:
    case Ending::Signal:
    case Ending::Folder: ++loser.crashes; break;
    case Ending::Five:
    case Ending::BoardFull:
    case Ending::Resigned: break;
  }
}

}  // namespace fiverow::match
