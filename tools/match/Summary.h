// The per-engine tally of a match, its summary and the line that reports
// each game.
#pragma once

#include <string>
#include <vector>

#include "match/Rating.h"
#include "match/Referee.h"

namespace fiverow::match {

struct EngineStats {
  int wins = 0;
  int draws = 0;
  int losses = 0;
  int illegalMoves = 0;  // wrong text or an occupied cell
  int timeOuts = 0;
  int crashes = 0;                  // a non-zero exit status, a fatal signal, a ruined folder
  std::vector<double> moveSeconds;  // every run of the engine
};

// Adds one game's result to both engines' tallies.
void CountGame(PerPlayer<EngineStats>& stats, const GameSetup& setup, const GameResult& result);

// The middle value (the mean of the two middle ones for an even count); 0 for
// no values.
double Median(std::vector<double> values);

std::string SummaryTable(const PerPlayer<Engine>& engines, const PerPlayer<EngineStats>& stats);

// A's result in a game, for the rating tally.
GameOutcome OutcomeOfA(const GameSetup& setup, const GameResult& result);

// The summary of a match of several games: the table, then A's results
// against B by games and by pairs of games, and the Elo difference of A over
// B with its 95% margin and the likelihood of superiority (Rating.h).
std::string MatchSummary(const PerPlayer<Engine>& engines, const PerPlayer<EngineStats>& stats,
                         const RatingTally& tally);

// "1 move", "12 moves".
std::string MovesText(std::size_t count);

// The line that reports a game, e.g. "game 3 of 20 (x A, o B): A wins: A (x)
// made five in a row with 9,10 after 31 moves"; "game 1" alone when
// `games` is 1.
std::string ResultLine(int game, int games, const PerPlayer<Engine>& engines,
                       const GameSetup& setup, const GameResult& result);

}  // namespace fiverow::match
