// The statistics of a match between engines A and B: the Elo difference of A
// over B with its 95% margin, the likelihood that A is stronger, and a
// sequential probability ratio test (SPRT) that can stop a match once its
// result is clear.
//
// Model. Each opening is played twice with the sides swapped, so games 1 and 2
// form a pair, games 3 and 4 the next, and so on. A pair scores 0, 0.5, 1, 1.5
// or 2 points for A (the pentanomial counts); the colour advantage of the
// opening cancels within a pair, so pairs vary less than single games and
// measure the difference between the engines more sharply. The statistics
// treat the pairs as independent samples of A's score per game (the pair's
// points / 2). A game whose partner has not been played (an odd number of
// games, or a match stopped early) counts in the win/draw/loss tally but not
// in the statistics while there is at least one complete pair; with no
// complete pair at all, the single games are the samples (the trinomial
// model: 0, 0.5 or 1 per game).
#pragma once

#include <array>
#include <optional>

namespace fiverow::match {

enum class GameOutcome { Loss, Draw, Win };  // for A

class RatingTally {
 public:
  // Adds a game's result; games must come in game order so that they pair up.
  void Add(GameOutcome outcome);

  int Wins() const { return wins_; }
  int Draws() const { return draws_; }
  int Losses() const { return losses_; }
  int Games() const { return wins_ + draws_ + losses_; }
  // The complete pairs scoring k / 2 points for A, k = 0..4.
  const std::array<int, 5>& Pairs() const { return pairs_; }
  int CompletePairs() const;

 private:
  int wins_ = 0;
  int draws_ = 0;
  int losses_ = 0;
  std::array<int, 5> pairs_{};
  std::optional<GameOutcome> unpaired_;  // the first game of an unfinished pair
};

// The samples the statistics use: complete pairs, else single games.
struct ScoreSample {
  int count = 0;
  bool paired = false;
  double mean = 0;      // A's mean score per game, in [0, 1]
  double variance = 0;  // of one sample's score per game (divided by count, not count - 1)
};

ScoreSample SampleOf(const RatingTally& tally);

// The logistic Elo curve: the expected score for an Elo difference and back.
// EloFromScore gives -infinity at 0 and +infinity at 1.
double ScoreFromElo(double elo);
double EloFromScore(double score);

struct EloEstimate {
  double elo = 0;  // may be infinite (every game won, or every game lost)
  // The 95% interval: mean score ± 1.96 standard errors, limited to [0, 1]
  // and taken through the Elo curve, so the ends may be infinite.
  double lower = 0;
  double upper = 0;
  double margin = 0;  // half the interval's width; infinite if either end is
  double los = 0;     // likelihood of superiority of A, in [0, 1]
};

// None without games.
std::optional<EloEstimate> EstimateElo(const RatingTally& tally);

// Elo differences beyond this are not a sensible hypothesis, and far beyond
// it the expected scores of elo0 and elo1 become the same number.
inline constexpr double kMaxSprtElo = 1000;
// The two-sided 95% quantile of the normal distribution.
inline constexpr double kZ95 = 1.96;

struct SprtParameters {
  double elo0 = 0;  // H0: A is elo0 stronger than B
  double elo1 = 0;  // H1: A is elo1 stronger than B
  double alpha = 0;
  double beta = 0;
};

// The samples' variance as the Elo margin, the LOS and the SPRT take it: with
// one more, imagined, sample spread evenly over the scores a sample can have
// (a pair's five, else a game's three). The real samples soon outweigh it;
// while they barely vary it stands for the spread not seen yet, so that equal
// results, which have no variance of their own, neither claim an exact Elo
// difference nor keep the test from deciding: 24 games all won accept
// elo1 = 10 over elo0 = 0 (alpha = beta = 0.05), and 120 games of pairs split
// 1-1 accept elo0.
double EstimatedVariance(const ScoreSample& sample);

enum class SprtDecision { Continue, AcceptH0, AcceptH1 };

struct SprtState {
  double llr = 0;    // log-likelihood ratio of H1 against H0
  double lower = 0;  // ln(beta / (1 - alpha)): H0 is accepted at or below it
  double upper = 0;  // ln((1 - beta) / alpha): H1 is accepted at or above it
  SprtDecision decision = SprtDecision::Continue;
};

SprtState EvaluateSprt(const SprtParameters& parameters, const RatingTally& tally);

}  // namespace fiverow::match
