// How long a side may think, and its clock through a game: the one place
// the referee and the board hold a time control and do its arithmetic.
#pragma once

#include <limits>
#include <optional>
#include <string>

namespace fiverow::match {

inline constexpr double kDefaultTurnSeconds = 5.0;

struct TimeControl {
  double turnSeconds = kDefaultTurnSeconds;  // per move; infinity for none
  std::optional<double> matchSeconds;        // for all its moves of a game
  double incrementSeconds = 0;               // added to its match time after each of its moves
  // How far past its turn limit or its match time a move still counts; an
  // engine is told the limits without it.
  double marginSeconds = 0.1;
};

// No limit at all: a person at the board.
inline constexpr TimeControl kUntimed{std::numeric_limits<double>::infinity(), std::nullopt, 0, 0};

// One side's clock through a game.
class GameClock {
 public:
  explicit GameClock(const TimeControl& control) : control_(control), left_(control.matchSeconds) {}

  // The limit of its next move: the turn limit, or what is left of its match
  // time when that is less.
  double Limit() const { return ByMatchTime() ? *left_ : control_.turnSeconds; }
  // What is left of its match time, if it has one.
  const std::optional<double>& Left() const { return left_; }
  double Margin() const { return control_.marginSeconds; }
  // A move that took `seconds` was made.
  void Spend(double seconds);
  // Why a move that did not come in time loses: "ran over the time limit of
  // 5 s: no move came within it plus the margin of 0.1 s".
  std::string TimeOutReason() const;

 private:
  bool ByMatchTime() const { return left_ && *left_ < control_.turnSeconds; }

  TimeControl control_;
  std::optional<double> left_;
};

}  // namespace fiverow::match
