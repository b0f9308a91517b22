// How late the referee's waits wake on Windows: each round waits for an
// event that never comes until a deadline 1 ms ahead, and measures how far
// past the deadline the wait returned. The referee's wait (a high-resolution
// waitable timer) beside a plain 1-ms wait and Sleep(1), which wake at the
// system timer's tick (15.6 ms by default on Windows).
//   fiverow-wait-wake [ROUNDS]      (default 200)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "process/win32/PreciseWait.h"

namespace {

using fiverow::match::Clock;

// The median, 90th percentile and most of what a wait overshot, in ms.
void Report(const char* name, int rounds, const std::function<void(Clock::time_point)>& wait) {
  std::vector<double> late;
  for (int round = 0; round < rounds; ++round) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(1);
    wait(deadline);
    late.push_back(std::chrono::duration<double, std::milli>(Clock::now() - deadline).count());
  }
  std::sort(late.begin(), late.end());
  std::printf("%-28s late by  median %6.3f ms  p90 %6.3f ms  max %6.3f ms\n", name,
              late[late.size() / 2], late[late.size() * 9 / 10], late.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const HANDLE never = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::printf("%d waits of 1 ms each\n", rounds);
  Report("referee (WaitUntil)", rounds,
         [never](Clock::time_point deadline) { fiverow::match::WaitUntil({never}, deadline); });
  Report("WaitForSingleObject(1)", rounds,
         [never](Clock::time_point) { ::WaitForSingleObject(never, 1); });
  Report("Sleep(1)", rounds, [](Clock::time_point) { ::Sleep(1); });
  return 0;
}
