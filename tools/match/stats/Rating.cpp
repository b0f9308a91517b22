#include "stats/Rating.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace fiverow::match {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double Points(GameOutcome outcome) {
  switch (outcome) {
    case GameOutcome::Loss: return 0;
    case GameOutcome::Draw: return 0.5;
    case GameOutcome::Win: return 1;
  }
  return 0;
}

}  // namespace

void RatingTally::Add(GameOutcome outcome) {
  switch (outcome) {
    case GameOutcome::Loss: ++losses_; break;
    case GameOutcome::Draw: ++draws_; break;
    case GameOutcome::Win: ++wins_; break;
  }
  if (!unpaired_) {
    unpaired_ = outcome;
    return;
  }
  // Each game's points are 0, 0.5 or 1, so twice the pair's points is 0..4.
  ++pairs_[static_cast<std::size_t>(2 * (Points(*unpaired_) + Points(outcome)))];
  unpaired_.reset();
}

int RatingTally::CompletePairs() const {
  int count = 0;
  for (const int pairs : pairs_) count += pairs;
  return count;
}

ScoreSample SampleOf(const RatingTally& tally) {
  // (how many samples, score per game of each)
  std::array<std::pair<int, double>, 5> groups{};
  ScoreSample sample;
  if (tally.CompletePairs() > 0) {
    sample.paired = true;
    for (std::size_t k = 0; k < groups.size(); ++k)
      groups[k] = {tally.Pairs()[k], static_cast<double>(k) / 4};
  } else {
    groups = {{{tally.Losses(), 0.0}, {tally.Draws(), 0.5}, {tally.Wins(), 1.0}}};
  }
  double sum = 0;
  for (const auto& [count, score] : groups) {
    sample.count += count;
    sum += count * score;
  }
  if (sample.count == 0) return sample;
  sample.mean = sum / sample.count;
  // Around the mean, so that equal samples give exactly 0.
  double squares = 0;
  for (const auto& [count, score] : groups)
    squares += count * (score - sample.mean) * (score - sample.mean);
  sample.variance = squares / sample.count;
  return sample;
}

double ScoreFromElo(double elo) { return 1 / (1 + std::pow(10.0, -elo / 400)); }

double EloFromScore(double score) {
  if (score <= 0) return -kInfinity;
  if (score >= 1) return kInfinity;
  return -400 * std::log10(1 / score - 1);
}

std::optional<EloEstimate> EstimateElo(const RatingTally& tally) {
  const ScoreSample sample = SampleOf(tally);
  if (sample.count == 0) return std::nullopt;
  // The standard error of the mean score; the interval is found in scores,
  // where the normal approximation holds, and then converted to Elo.
  const double error = std::sqrt(EstimatedVariance(sample) / sample.count);
  EloEstimate estimate;
  estimate.elo = EloFromScore(sample.mean);
  estimate.lower = EloFromScore(std::max(0.0, sample.mean - kZ95 * error));
  estimate.upper = EloFromScore(std::min(1.0, sample.mean + kZ95 * error));
  estimate.margin = std::isfinite(estimate.lower) && std::isfinite(estimate.upper)
                        ? (estimate.upper - estimate.lower) / 2
                        : kInfinity;
  // Phi((s - 0.5) / error).
  estimate.los = 0.5 * std::erfc(-(sample.mean - 0.5) / (error * std::sqrt(2.0)));
  return estimate;
}

double EstimatedVariance(const ScoreSample& sample) {
  // The imagined sample's squared distance from the mean, averaged over the
  // scores per game a sample can have: a pair's 0, 1/4, 1/2, 3/4 and 1 give
  // (m - 1/2)^2 + 1/8, a game's 0, 1/2 and 1 give (m - 1/2)^2 + 1/6.
  const double off = sample.mean - 0.5;
  const double imagined = off * off + (sample.paired ? 1.0 / 8 : 1.0 / 6);
  return (sample.count * sample.variance + imagined) / (sample.count + 1);
}

SprtState EvaluateSprt(const SprtParameters& parameters, const RatingTally& tally) {
  SprtState state;
  state.lower = std::log(parameters.beta / (1 - parameters.alpha));
  state.upper = std::log((1 - parameters.beta) / parameters.alpha);
  // The generalized SPRT: the samples (pairs, else games) are taken as normal
  // with variance v. One sample x adds
  //   ln N(x; s1, v) - ln N(x; s0, v) = (s1 - s0) (2 x - s0 - s1) / (2 v),
  // so n samples of mean m add n (s1 - s0) (2 m - s0 - s1) / (2 v).
  const ScoreSample sample = SampleOf(tally);
  if (sample.count == 0) return state;
  const double s0 = ScoreFromElo(parameters.elo0);
  const double s1 = ScoreFromElo(parameters.elo1);
  state.llr =
      sample.count * (s1 - s0) * (2 * sample.mean - s0 - s1) / (2 * EstimatedVariance(sample));
  if (state.llr >= state.upper)
    state.decision = SprtDecision::AcceptH1;
  else if (state.llr <= state.lower)
    state.decision = SprtDecision::AcceptH0;
  return state;
}

}  // namespace fiverow::match
