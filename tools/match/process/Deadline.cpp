#include "process/Deadline.h"

#include <cstdio>

namespace fiverow::match {

Clock::time_point DeadlineAfter(Clock::time_point start, double seconds) {
  if (!(seconds < 365.0 * 86400.0)) return Clock::time_point::max();
  return start +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

PollTimeout TimeoutUntil(Clock::time_point deadline) {
  PollTimeout timeout;
  if (deadline == Clock::time_point::max()) {
    timeout.forever = true;
    return timeout;
  }
  const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
  if (left.count() > 0) {
    timeout.left = {static_cast<time_t>(left.count() / 1000000000),
                    static_cast<long>(left.count() % 1000000000)};
  }
  return timeout;
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g s", seconds);
  return text;
}

}  // namespace fiverow::match
