#include "match/Summary.h"

#include <algorithm>
#include <cstdio>

#include "common/EscapedText.h"

namespace fiverow::match {

void CountGame(PerPlayer<EngineStats>& stats, const GameSetup& setup, const GameResult& result) {
  if (!result.winner) {
    for (EngineStats& engine : stats) ++engine.draws;
    return;
  }
  const Player winner = PlayerOf(setup, *result.winner);
  EngineStats& loser = stats[Other(winner)];
  ++stats[winner].wins;
  ++loser.losses;
  switch (result.ending) {
    case Ending::BadText:
    case Ending::Occupied: ++loser.illegalMoves; break;
    case Ending::TimeOut: ++loser.timeOuts; break;
    case Ending::ExitStatus:
    case Ending::Signal:
    case Ending::Folder: ++loser.crashes; break;
    case Ending::Five:
    case Ending::BoardFull: break;
  }
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                   values.end());
  const double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  const double lower =
      *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
  return (lower + upper) / 2;
}

std::string SummaryTable(const PerPlayer<Engine>& engines, const PerPlayer<EngineStats>& stats) {
  std::string table =
      "engine   wins  draws  losses  illegal  time-outs  crashes  median move  command\n";
  for (const Player player : kPlayers) {
    const EngineStats& s = stats[player];
    char line[160];
    std::snprintf(line, sizeof line, "%-6s %6d %6d %7d %8d %10d %8d %9.1f ms  ",
                  engines[player].label.c_str(), s.wins, s.draws, s.losses, s.illegalMoves,
                  s.timeOuts, s.crashes, Median(s.moveSeconds) * 1000.0);
    table += line + tools::ShownText(engines[player].command) + "\n";
  }
  return table;
}

GameOutcome OutcomeOfA(const GameSetup& setup, const GameResult& result) {
  if (!result.winner) return GameOutcome::Draw;
  return PlayerOf(setup, *result.winner) == Player::A ? GameOutcome::Win : GameOutcome::Loss;
}

std::string MatchSummary(const PerPlayer<Engine>& engines, const PerPlayer<EngineStats>& stats,
                         const RatingTally& tally) {
  return SummaryTable(engines, stats) + TallyLine(tally) + "\n" + EloLine(tally) + "\n";
}

std::string MovesText(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " move" : " moves");
}

std::string ResultLine(int game, int games, const PerPlayer<Engine>& engines,
                       const GameSetup& setup, const GameResult& result) {
  std::string line = "game ";
  line += std::to_string(game);
  if (games > 1) line.append(" of ").append(std::to_string(games));
  line.append(" (x ").append(engines[PlayerOf(setup, Side::X)].label);
  line.append(", o ").append(engines[PlayerOf(setup, Side::O)].label).append("): ");
  line += result.winner ? engines[PlayerOf(setup, *result.winner)].label + " wins" : "draw";
  return line + ": " + result.reason + " after " + MovesText(result.moves.size()) + "\n";
}

}  // namespace fiverow::match
