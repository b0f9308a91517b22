#include "match/Rating.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/Arguments.h"

namespace fiverow::match {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The two-sided 95% quantile of the normal distribution.
constexpr double kZ95 = 1.96;
// Elo differences beyond this are not a sensible hypothesis, and far beyond
// it the expected scores of elo0 and elo1 become the same number.
constexpr double kMaxSprtElo = 1000;

double Points(GameOutcome outcome) {
  switch (outcome) {
    case GameOutcome::Loss: return 0;
    case GameOutcome::Draw: return 0.5;
    case GameOutcome::Win: return 1;
  }
  return 0;
}

// Fixed-point text, with infinities spelt "inf" and "-inf" on every platform
// and no sign on a value that rounds to zero.
std::string Fixed(double value, int decimals) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find_first_not_of("-0.") == std::string::npos && text.starts_with('-')) text.erase(0, 1);
  return text;
}

std::string Short(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
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

SprtParameters ParseSprtParameters(std::string_view text) {
  using tools::UsageError;
  const std::string form =
      "elo0=E0,elo1=E1,alpha=A,beta=B, e.g. elo0=0,elo1=10,alpha=0.05,beta=0.05";
  constexpr std::array<std::string_view, 4> kNames = {"elo0", "elo1", "alpha", "beta"};
  std::array<std::optional<double>, 4> values;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view part =
        text.substr(start, comma == std::string_view::npos ? comma : comma - start);
    const std::size_t equals = part.find('=');
    if (equals == std::string_view::npos) {
      throw UsageError(
          "--sprt takes " + form + "; " +
          (part.empty() ? "a part is empty" : "\"" + std::string(part) + "\" is not name=value"));
    }
    const std::string name(part.substr(0, equals));
    const std::string number(part.substr(equals + 1));
    const auto known = std::find(kNames.begin(), kNames.end(), name);
    if (known == kNames.end()) {
      throw UsageError("--sprt has no parameter \"" + name +
                       "\"; it takes elo0, elo1, alpha and beta");
    }
    auto& value = values[static_cast<std::size_t>(known - kNames.begin())];
    if (value) throw UsageError("--sprt was given " + name + " twice");
    const bool probability = name == "alpha" || name == "beta";
    const char* first = number.data() + (number.starts_with('+') ? 1 : 0);
    const char* end = number.data() + number.size();
    double parsed = 0;
    const auto [stop, error] = std::from_chars(first, end, parsed);
    const bool ok = error == std::errc() && stop == end && std::isfinite(parsed) &&
                    (probability ? parsed > 0 && parsed < 1 : std::abs(parsed) <= kMaxSprtElo);
    if (!ok) {
      throw UsageError(
          "--sprt " + name + " needs " +
          (probability ? "a number above 0 and below 1" : "an Elo difference from -1000 to 1000") +
          ", not \"" + number + "\"");
    }
    value = parsed;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (!values[i]) {
      throw UsageError("--sprt takes " + form + "; " + std::string(kNames[i]) + " is missing");
    }
  }
  const SprtParameters parameters{*values[0], *values[1], *values[2], *values[3]};
  if (parameters.elo0 >= parameters.elo1)
    throw UsageError("--sprt needs elo0 below elo1, not " + Short(parameters.elo0) + " and " +
                     Short(parameters.elo1));
  // Otherwise the bounds meet or cross, and the first result decides.
  if (parameters.alpha + parameters.beta >= 1)
    throw UsageError("--sprt needs alpha + beta below 1");
  return parameters;
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

std::string TallyLine(const RatingTally& tally) {
  std::string line = "games " + std::to_string(tally.Games()) + ": " +
                     std::to_string(tally.Wins()) + " wins, " + std::to_string(tally.Draws()) +
                     " draws, " + std::to_string(tally.Losses()) +
                     " losses; pairs scoring 0/0.5/1/1.5/2:";
  for (const int pairs : tally.Pairs()) line.append(" ").append(std::to_string(pairs));
  return line;
}

std::string EloLine(const RatingTally& tally) {
  const std::optional<EloEstimate> estimate = EstimateElo(tally);
  if (!estimate) return "Elo difference: no games";
  return "Elo difference: " + Fixed(estimate->elo, 1) + " +/- " + Fixed(estimate->margin, 1) +
         " (95%), LOS " + Fixed(estimate->los * 100, 1) + "%";
}

std::string SprtLine(const SprtParameters& parameters, const SprtState& state) {
  std::string line = "SPRT: llr " + Fixed(state.llr, 2) + " (" + Fixed(state.lower, 2) + ", " +
                     Fixed(state.upper, 2) + ") [" + Short(parameters.elo0) + ", " +
                     Short(parameters.elo1) + "]";
  if (state.decision == SprtDecision::AcceptH0) line += ", H0 accepted";
  if (state.decision == SprtDecision::AcceptH1) line += ", H1 accepted";
  return line;
}

}  // namespace fiverow::match
