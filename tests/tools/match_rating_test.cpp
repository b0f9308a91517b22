// The match statistics against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cli/OptionValues.h"
#include "output/RatingText.h"
#include "stats/Rating.h"

namespace fiverow::match {
namespace {

constexpr GameOutcome W = GameOutcome::Win, D = GameOutcome::Draw, L = GameOutcome::Loss;

void AddPairs(RatingTally& tally, int count, GameOutcome first, GameOutcome second) {
  for (int i = 0; i < count; ++i) {
    tally.Add(first);
    tally.Add(second);
  }
}

// Pairs of 2, 1.5, 1, 1 and 0.5 points, then a lone win.
RatingTally SmallTally() {
  RatingTally tally;
  for (const GameOutcome game : {W, W, W, D, W, L, D, D, D, L, W}) tally.Add(game);
  return tally;
}

TEST(Rating, CountsPairsAndEstimatesEloFromThemAlone) {
  const RatingTally tally = SmallTally();
  EXPECT_EQ(TallyLine(tally),
            "games 11: 5 wins, 4 draws, 2 losses; pairs scoring 0/0.5/1/1.5/2: 0 1 2 1 1");
  // Scores per game 1, .75, .5, .5, .25 (the lone win left out): mean 0.6,
  // variance (.16 + .0225 + .01 + .01 + .1225) / 5 = 0.065.
  const ScoreSample sample = SampleOf(tally);
  EXPECT_EQ(sample.count, 5);
  EXPECT_NEAR(sample.variance, 0.065, 1e-12);
  // With the imagined sample ((0.6 - 0.5)^2 + 1/8 = 0.135) the variance is
  // (5 * .065 + .135) / 6 = 0.076667. Elo 400 log10(1.5) = 70.44; error
  // sqrt(.076667 / 5) = 0.12383, interval 0.6 -/+ 1.96 * 0.12383 =
  // 0.35730 .. 0.84270 = -101.99 .. 291.58 Elo, margin 196.79;
  // LOS Phi(0.1 / 0.12383) = Phi(0.80757) = 0.7903.
  EXPECT_NEAR(EstimatedVariance(sample), 0.0766667, 1e-6);
  const auto estimate = EstimateElo(tally);
  ASSERT_TRUE(estimate);
  EXPECT_NEAR(estimate->elo, 70.4365, 1e-3);
  EXPECT_NEAR(estimate->margin, 196.7866, 1e-3);
  EXPECT_NEAR(estimate->los, 0.79033, 1e-4);
  EXPECT_EQ(EloLine(tally), "Elo difference: 70.4 +/- 196.8 (95%), LOS 79.0%");
}

TEST(Rating, OneSidedOrNoResultsGiveInfinitiesNotNaN) {
  EXPECT_FALSE(EstimateElo(RatingTally{}));
  EXPECT_EQ(EloLine(RatingTally{}), "Elo difference: no games");
  RatingTally won;
  won.Add(W);  // no complete pair: the single game is the sample
  EXPECT_FALSE(SampleOf(won).paired);
  won.Add(W);
  const auto estimate = EstimateElo(won);
  ASSERT_TRUE(estimate);
  EXPECT_EQ(estimate->elo, INFINITY);
  EXPECT_EQ(estimate->margin, INFINITY);
  // One pair of wins is no certainty: the imagined sample's variance
  // (0.5^2 + 1/8) / 2 = 0.1875 gives LOS Phi(0.5 / 0.43301) = 0.8759.
  EXPECT_NEAR(estimate->los, 0.87589, 1e-4);
  EXPECT_EQ(EloLine(won), "Elo difference: inf +/- inf (95%), LOS 87.6%");
  // Equal pairs that are not all wins do not claim an exact difference: the
  // variance is the imagined sample's 1/8 over 4, error sqrt(1/32 / 3) =
  // 0.10206, interval 0.5 -/+ 0.20004 = -/+ 147.23 Elo.
  RatingTally even;
  AddPairs(even, 3, W, L);
  EXPECT_EQ(EloLine(even), "Elo difference: 0.0 +/- 147.2 (95%), LOS 50.0%");
}

TEST(RatingSprt, ReadsItsParametersAndRefusesMistakes) {
  const SprtParameters p = ParseSprtParameters("beta=0.1,elo1=+5,alpha=0.05,elo0=-2.5");
  EXPECT_EQ(std::vector<double>({p.elo0, p.elo1, p.alpha, p.beta}),
            std::vector<double>({-2.5, 5, 0.05, 0.1}));
  for (const char* bad :
       {"", "elo0=0,elo1=10,alpha=0.05", "elo0=0,elo1=10,alpha=0.05,beta=0.05,",
        "elo0=0,elo1=10,alpha=0.05,beta=0.05,gamma=1", "elo0=0,elo0=1,elo1=10,alpha=0.05,beta=0.05",
        "elo0=0,elo1=10,alpha=0,beta=0.05", "elo0=0,elo1=10,alpha=0.05,beta=1",
        "elo0=0,elo1=10,alpha=0.6,beta=0.4", "elo0=10,elo1=10,alpha=0.05,beta=0.05",
        "elo0=0,elo1=1e9,alpha=0.05,beta=0.05", "elo0=nan,elo1=10,alpha=0.05,beta=0.05",
        "elo0=0,elo1=10x,alpha=0.05,beta=0.05", "elo0=0,elo1=10,alpha=,beta=0.05"}) {
    EXPECT_THROW(ParseSprtParameters(bad), tools::UsageError) << bad;
  }
}

TEST(RatingSprt, ComputesBoundsAndTheLikelihoodRatio) {
  const SprtParameters p = ParseSprtParameters("elo0=0,elo1=10,alpha=0.05,beta=0.05");
  // Bounds ln(0.05 / 0.95) = -ln 19 = -2.9444 and ln(0.95 / 0.05) = 2.9444.
  // s0 = 0.5, s1 = 1 / (1 + 10^(-10/400)) = 0.514387; the small tally has
  // 5 pairs, mean 0.6, variance 0.065, and with the imagined pair
  // (0.1^2 + 1/8) the test's variance is (5 * 0.065 + 0.135) / 6 = 0.076667:
  // llr = 5 * 0.014387 * (1.2 - 1.014387) / (2 * 0.076667) = 0.087080.
  const SprtState state = EvaluateSprt(p, SmallTally());
  EXPECT_NEAR(state.lower, -2.944439, 1e-6);
  EXPECT_NEAR(state.upper, 2.944439, 1e-6);
  EXPECT_NEAR(state.llr, 0.087080, 1e-6);
  EXPECT_EQ(state.decision, SprtDecision::Continue);
  EXPECT_EQ(SprtLine(p, state), "SPRT: llr 0.09 (-2.94, 2.94) [0, 10]");
}

TEST(RatingSprt, AcceptsEitherHypothesis) {
  const SprtParameters p = ParseSprtParameters("elo0=0,elo1=10,alpha=0.05,beta=0.05");
  // 40 pairs each of 1.5 and 1 point: mean 0.625, variance 0.015625, with
  // the imagined pair (80 * 0.015625 + 0.125^2 + 1/8) / 81 = 0.0171682;
  // llr = 80 * 0.014387 * (1.25 - 1.014387) / 0.0343364 = 7.898.
  RatingTally better;
  AddPairs(better, 40, W, D);
  AddPairs(better, 40, D, D);
  const SprtState h1 = EvaluateSprt(p, better);
  EXPECT_NEAR(h1.llr, 7.8979, 1e-3);
  EXPECT_EQ(h1.decision, SprtDecision::AcceptH1);
  EXPECT_EQ(SprtLine(p, h1), "SPRT: llr 7.90 (-2.94, 2.94) [0, 10], H1 accepted");
  // 1 and 0.5 points instead: mean 0.375, llr = -8.86.
  RatingTally worse;
  AddPairs(worse, 40, D, D);
  AddPairs(worse, 40, D, L);
  EXPECT_EQ(EvaluateSprt(p, worse).decision, SprtDecision::AcceptH0);
}

TEST(RatingSprt, EqualResultsDecideAfterEnoughOfThem) {
  const SprtParameters p = ParseSprtParameters("elo0=0,elo1=10,alpha=0.05,beta=0.05");
  // Every game won: mean 1, no variance of its own; n pairs give the
  // variance 0.375 / (n + 1) and llr = n (n + 1) 0.014387 * 0.985613 / 0.75
  // = 0.018907 n (n + 1): 2.496 after 11 pairs, 2.949 after 12.
  RatingTally won;
  AddPairs(won, 11, W, W);
  EXPECT_EQ(EvaluateSprt(p, won).decision, SprtDecision::Continue);
  AddPairs(won, 1, W, W);
  EXPECT_NEAR(EvaluateSprt(p, won).llr, 2.9495, 1e-4);
  EXPECT_EQ(EvaluateSprt(p, won).decision, SprtDecision::AcceptH1);
  // Identical engines, every pair split 1-1: mean 1/2, variance
  // 0.125 / (n + 1), llr = -0.000828 n (n + 1): -2.931 after 59, -3.030
  // after 60.
  RatingTally even;
  AddPairs(even, 59, W, L);
  EXPECT_EQ(EvaluateSprt(p, even).decision, SprtDecision::Continue);
  AddPairs(even, 1, L, W);
  EXPECT_EQ(EvaluateSprt(p, even).decision, SprtDecision::AcceptH0);
}

}  // namespace
}  // namespace fiverow::match
