// The standings of a tournament and the ratings fitted to all of its games,
// against values worked out by hand and by an independent calculation.
#include <gtest/gtest.h>

#include <cmath>

#include "match/Standings.h"
#include "output/TournamentText.h"
#include "stats/Median.h"
#include "stats/RatingFit.h"

namespace fiverow::match {
namespace {

// Adds games of `first` against `second`, the colours swapped each game:
// `first` wins `wins`, draws `draws` and loses `losses`.
void Play(Standings& standings, EngineIndex first, EngineIndex second, int wins, int draws,
          int losses) {
  const int games = wins + draws + losses;
  for (int game = 0; game < games; ++game) {
    PlayedGame played;
    const Side firstSide = game % 2 == 0 ? Side::X : Side::O;
    played.setup.engines[firstSide] = first;
    played.setup.engines[Opponent(firstSide)] = second;
    if (game < wins) played.result.winner = firstSide;
    if (game >= wins + draws) played.result.winner = Opponent(firstSide);
    played.result.ending = played.result.winner ? Ending::Five : Ending::BoardFull;
    standings.Add(played);
  }
}

// A scores 3 of 4 against B and 2.5 of 4 against C; B scores 1 of 4
// against C.
Standings Uneven(EngineIndex a, EngineIndex b, EngineIndex c) {
  Standings standings(3);
  Play(standings, a, b, 2, 2, 0);
  Play(standings, a, c, 2, 1, 1);
  Play(standings, b, c, 0, 2, 2);
  return standings;
}

TEST(Standings, KeepsEveryPairsPointsAndATallyOfAAgainstBAlone) {
  const Standings standings = Uneven(0, 1, 2);
  const Crosstable& table = standings.crosstable();
  EXPECT_EQ(table.Points(0, 1), 3);
  EXPECT_EQ(table.Points(1, 0), 1);
  EXPECT_EQ(table.Points(0, 2), 2.5);
  EXPECT_EQ(table.Points(2, 1), 3);
  EXPECT_EQ(table.Games(2, 1), 4);
  EXPECT_EQ(std::vector<double>({table.Points(0), table.Points(1), table.Points(2)}),
            std::vector<double>({5.5, 2, 4.5}));
  EXPECT_EQ(table.Games(0), 8);
  // B's and C's games are not A's against B.
  const RatingTally& tally = standings.tally();
  EXPECT_EQ(std::vector<int>({tally.Wins(), tally.Draws(), tally.Losses()}),
            std::vector<int>({2, 2, 0}));
}

TEST(RatingFit, GivesBackResultsThatFitTheModelExactly) {
  // 18 games a pair: A scores 14 against B, B 14 against C, A 17 against C.
  // With the imagined 1-1 pair, 15/20 = 3/4, 3/4 and 18/20 = 9/10: exactly
  // the expected scores of A = +400 log10(3) = +190.8485, B = 0,
  // C = -190.8485 (3/4 is a gap of ln 3 in natural units, 9/10 of 2 ln 3),
  // so the gradient is 0 there.
  // Margins: the curvature weights are 20 (3/4)(1/4) = 3.75 for A-B and B-C
  // and 20 (9/10)(1/10) = 1.8 for A-C. Holding B at 0, the curvature of
  // (A, C) is [[5.55, -1.8], [-1.8, 5.55]], inverse [[5.55, 1.8], [1.8,
  // 5.55]] / 27.5625. Centred, A - (A + C) / 3 = (2A - C) / 3 has variance
  // (4 * 5.55 - 4 * 1.8 + 5.55) / 9 / 27.5625 = 0.082842, and B's
  // -(A + C) / 3 has (5.55 + 3.6 + 5.55) / 9 / 27.5625 = 0.059259; margins
  // 1.96 * sqrt(v) * 400 / ln 10 = 98.0 for A and C, 82.885 for B.
  Standings standings(3);
  Play(standings, 0, 1, 12, 4, 2);
  Play(standings, 1, 2, 12, 4, 2);
  Play(standings, 0, 2, 16, 2, 0);
  const std::vector<FittedRating> fit = FitRatings(standings.crosstable());
  const double elo[] = {190.848502, 0, -190.848502};
  const double margin[] = {97.999922, 82.885485, 97.999922};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(fit[i].rated);
    EXPECT_EQ(fit[i].group, 0u);
    EXPECT_NEAR(fit[i].elo, elo[i], 1e-5) << i;
    EXPECT_NEAR(fit[i].margin, margin[i], 1e-5) << i;
  }
}

TEST(RatingFit, AgreesWithAnIndependentFitWhateverTheEngineOrder) {
  // Checked with a short script that holds one engine at 0, runs Newton on
  // the other two, centres the ratings and the inverse of the reduced
  // curvature (the same values whichever engine is held):
  //   A +60.3823 +/- 136.8033, B -80.5337 +/- 139.2424, C +20.1514 +/- 134.2324.
  // At the fit A's expected points match its 5.5 + 2 imagined of 12:
  // 6 / (1 + 10^(-140.916 / 400)) + 6 / (1 + 10^(-40.231 / 400)) = 7.50.
  const double elo[] = {60.382312, -80.533664, 20.151352};
  const double margin[] = {136.803300, 139.242361, 134.232388};
  const EngineIndex orders[][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};
  for (const auto& at : orders) {
    const std::vector<FittedRating> fit = FitRatings(Uneven(at[0], at[1], at[2]).crosstable());
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_NEAR(fit[at[i]].elo, elo[i], 1e-5) << at[0] << at[1] << at[2] << " engine " << i;
      EXPECT_NEAR(fit[at[i]].margin, margin[i], 1e-5) << at[0] << at[1] << at[2] << " engine " << i;
    }
  }
}

TEST(RatingFit, AnEngineThatWinsEveryGameGetsAFiniteRatingWithAWideMargin) {
  // A wins all 4 games against B and against C, who split theirs 2-2. The
  // same script: A +186.3920 +/- 175.8267, B and C -93.1960 +/- 151.1629.
  Standings standings(3);
  Play(standings, 0, 1, 4, 0, 0);
  Play(standings, 0, 2, 4, 0, 0);
  Play(standings, 1, 2, 2, 0, 2);
  const std::vector<FittedRating> fit = FitRatings(standings.crosstable());
  EXPECT_NEAR(fit[0].elo, 186.392001, 1e-5);
  EXPECT_NEAR(fit[0].margin, 175.826666, 1e-5);
  EXPECT_NEAR(fit[1].elo, -93.196001, 1e-5);
  EXPECT_NEAR(fit[2].margin, 151.162924, 1e-5);
}

TEST(RatingFit, RatesEnginesThatNeverMetApart) {
  // A-B and C-D never met; E played nobody.
  Standings standings(5);
  Play(standings, 0, 1, 2, 0, 0);
  Play(standings, 2, 3, 1, 1, 0);
  const std::vector<FittedRating> fit = FitRatings(standings.crosstable());
  EXPECT_EQ(std::vector<std::size_t>({fit[0].group, fit[1].group, fit[2].group, fit[3].group}),
            std::vector<std::size_t>({0, 0, 1, 1}));
  // Each pair alone: 3 of 4 points with the imagined pair, a gap of
  // 400 log10(3) = 190.85 split around 0; 2.5 of 4, 400 log10(5/3) = 88.74.
  EXPECT_NEAR(fit[0].elo, 95.424251, 1e-5);
  EXPECT_NEAR(fit[1].elo, -95.424251, 1e-5);
  EXPECT_NEAR(fit[2].elo, 44.369, 1e-3);
  EXPECT_NEAR(fit[3].elo, -44.369, 1e-3);
  EXPECT_TRUE(std::isfinite(fit[0].margin) && fit[0].margin > 0);
  EXPECT_FALSE(fit[4].rated);
  std::vector<MatchEngine> engines(5);
  for (std::size_t i = 0; i < engines.size(); ++i)
    engines[i].label = std::string(1, static_cast<char>('A' + i));
  const std::string text = TournamentSummary(engines, standings);
  EXPECT_NE(text.find("never met: A B; C D\nno games, no rating: E\n"), std::string::npos) << text;
}

TEST(MatchSummary, ChargesEachEndingToTheRightEngine) {
  Standings standings(2);
  PlayedGame played;
  played.setup.engines[Side::X] = 1;  // B plays x
  played.setup.engines[Side::O] = 0;
  GameResult& result = played.result;
  result.winner = Side::O;  // A wins as o
  result.ending = Ending::TimeOut;
  standings.Add(played);
  result.winner = Side::X;  // B wins as x
  result.ending = Ending::Occupied;
  standings.Add(played);
  result.ending = Ending::ExitStatus;
  standings.Add(played);
  result.ending = Ending::Memory;
  standings.Add(played);
  result.ending = Ending::Forbidden;
  standings.Add(played);
  result.ending = Ending::Resigned;
  standings.Add(played);
  result.winner.reset();
  result.ending = Ending::BoardFull;
  standings.Add(played);

  const EngineStats& a = standings.engines()[0];
  const EngineStats& b = standings.engines()[1];
  EXPECT_EQ(a.wins, 1);
  EXPECT_EQ(a.losses, 5);
  EXPECT_EQ(a.illegalMoves, 2);
  EXPECT_EQ(a.crashes, 1);
  EXPECT_EQ(a.outOfMemory, 1);
  EXPECT_EQ(a.draws, 1);
  EXPECT_EQ(b.wins, 5);
  EXPECT_EQ(b.losses, 1);
  EXPECT_EQ(b.timeOuts, 1);
  EXPECT_EQ(b.draws, 1);
  EXPECT_EQ(standings.tally().Wins(), 1);
  EXPECT_EQ(standings.tally().Losses(), 5);
}

TEST(MatchSummary, MedianOfMoveTimes) {
  EXPECT_EQ(Median({}), 0.0);
  EXPECT_EQ(Median({3.0, 1.0, 2.0}), 2.0);
  EXPECT_EQ(Median({4.0, 1.0, 3.0, 2.0}), 2.5);
}

}  // namespace
}  // namespace fiverow::match
