#include "output/TournamentText.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string_view>

#include "common/EscapedText.h"
#include "output/GameText.h"
#include "output/NumberText.h"
#include "stats/Median.h"
#include "stats/RatingFit.h"

namespace fiverow::match {

namespace {

// Best first: more points, then a higher rating, then the order given.
std::vector<std::size_t> Ranking(const Crosstable& table,
                                 const std::vector<FittedRating>& ratings) {
  std::vector<std::size_t> order(table.Engines());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (table.Points(a) != table.Points(b)) return table.Points(a) > table.Points(b);
    if (ratings[a].rated != ratings[b].rated) return ratings[a].rated;
    return ratings[a].elo > ratings[b].elo;
  });
  return order;
}

// "+152.3 +/- 98.1"; "-" without games.
std::string RatingText(const FittedRating& rating) {
  if (!rating.rated) return "-";
  std::string elo = FixedText(rating.elo, 1);
  if (!elo.starts_with('-') && elo != "0.0") elo.insert(elo.begin(), '+');
  return elo + " +/- " + FixedText(rating.margin, 1);
}

std::string EngineTable(const std::vector<MatchEngine>& engines, const Standings& standings,
                        const std::vector<FittedRating>& ratings,
                        const std::vector<std::size_t>& order) {
  const Crosstable& table = standings.crosstable();
  std::string text =
      "engine  games  points   wins  draws  losses  illegal  time-outs  crashes  memory  median "
      "move  "
      "      Elo +/- 95%  command\n";
  for (const std::size_t i : order) {
    char head[64];
    std::snprintf(head, sizeof head, "%-6s %6d %7s ", engines[i].label.c_str(), table.Games(i),
                  FixedText(table.Points(i), 1).c_str());
    char rating[32];
    std::snprintf(rating, sizeof rating, "  %17s  ", RatingText(ratings[i]).c_str());
    text += head + ResultColumns(standings.engines()[i]) + rating +
            tools::ShownText(engines[i].program.command) + "\n";
  }
  return text;
}

std::string CrosstableText(const std::vector<MatchEngine>& engines, const Crosstable& table,
                           const std::vector<std::size_t>& order) {
  const std::size_t n = order.size();
  std::vector<std::string> cells(n * n, "-");
  std::size_t width = std::string_view("engine").size();
  for (std::size_t i = 0; i < n; ++i) {
    width = std::max(width, engines[i].label.size());
    for (std::size_t j = 0; j < n; ++j) {
      if (i == j || table.Games(i, j) == 0) continue;
      cells[i * n + j] = FixedText(table.Points(i, j), 1);
      width = std::max(width, cells[i * n + j].size());
    }
  }
  const auto left = [&](const std::string& text) {
    return text + std::string(width - text.size(), ' ');
  };
  const auto right = [&](const std::string& text) {
    return std::string(width + 2 - text.size(), ' ') + text;
  };
  std::string text = "points of the row's engine against the column's\n" + left("engine");
  for (const std::size_t j : order) text += right(engines[j].label);
  text += "\n";
  for (const std::size_t i : order) {
    text += left(engines[i].label);
    for (const std::size_t j : order) text += right(cells[i * n + j]);
    text += "\n";
  }
  return text;
}

// Which engines are rated apart from which, when not all of them met; empty
// when they did.
std::string GroupsText(const std::vector<MatchEngine>& engines,
                       const std::vector<FittedRating>& ratings) {
  std::vector<std::string> groups(ratings.size());
  std::string unrated;
  for (std::size_t i = 0; i < ratings.size(); ++i) {
    std::string& list = ratings[i].rated ? groups[ratings[i].group] : unrated;
    list += (list.empty() ? "" : " ") + engines[i].label;
  }
  std::erase_if(groups, [](const std::string& group) { return group.empty(); });
  std::string text;
  if (groups.size() > 1) {
    text += "groups rated apart, each with a mean of 0, as they never met:";
    for (std::size_t g = 0; g < groups.size(); ++g) text += (g == 0 ? " " : "; ") + groups[g];
    text += "\n";
  }
  if (!unrated.empty()) text += "no games, no rating: " + unrated + "\n";
  return text;
}

}  // namespace

std::string TournamentSummary(const std::vector<MatchEngine>& engines, const Standings& standings) {
  const std::vector<FittedRating> ratings = FitRatings(standings.crosstable());
  const std::vector<std::size_t> order = Ranking(standings.crosstable(), ratings);
  return EngineTable(engines, standings, ratings, order) +
         RestartsLine(engines, standings.engines()) + GroupsText(engines, ratings) + "\n" +
         CrosstableText(engines, standings.crosstable(), order);
}

}  // namespace fiverow::match
