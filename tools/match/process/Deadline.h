// Time as the referee keeps it: deadlines on the steady clock, and the time
// left until one as a poll timeout.
#pragma once

#include <time.h>

#include <chrono>
#include <string>

namespace fiverow::match {

using Clock = std::chrono::steady_clock;

// The time `seconds` after `start`; the farthest time there is for infinity
// or anything beyond a year, which stays far from overflow.
Clock::time_point DeadlineAfter(Clock::time_point start, double seconds);
double SecondsSince(Clock::time_point start);

// The time left until `deadline` as a timeout for ppoll: zero once it has
// passed; none (wait without end) for the farthest time there is.
struct PollTimeout {
  timespec left{};
  bool forever = false;
  const timespec* get() const { return forever ? nullptr : &left; }
};
PollTimeout TimeoutUntil(Clock::time_point deadline);

// "0.3 s", "5 s".
std::string SecondsText(double seconds);

}  // namespace fiverow::match
