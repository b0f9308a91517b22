// The standings of a tournament: every pair's points and A's tally against B.
#include <gtest/gtest.h>

#include "match/Standings.h"

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

}  // namespace
}  // namespace fiverow::match
