#include "output/RatingText.h"

#include "output/NumberText.h"

namespace fiverow::match {

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
  return "Elo difference: " + FixedText(estimate->elo, 1) + " +/- " +
         FixedText(estimate->margin, 1) + " (95%), LOS " + FixedText(estimate->los * 100, 1) + "%";
}

std::string SprtLine(const SprtParameters& parameters, const SprtState& state) {
  std::string line = "SPRT: llr " + FixedText(state.llr, 2) + " (" + FixedText(state.lower, 2) +
                     ", " + FixedText(state.upper, 2) + ") [" + ShortText(parameters.elo0) + ", " +
                     ShortText(parameters.elo1) + "]";
  if (state.decision == SprtDecision::AcceptH0) line += ", H0 accepted";
  if (state.decision == SprtDecision::AcceptH1) line += ", H1 accepted";
  return line;
}

}  // namespace fiverow::match
