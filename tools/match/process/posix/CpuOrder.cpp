#include "process/posix/CpuOrder.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "process/posix/SmallFile.h"

namespace fiverow::match {

std::vector<int> ParseCpuList(std::string_view text) {
  std::vector<int> cpus;
  const std::string list(text);
  for (const char* at = list.c_str();;) {
    char* end = nullptr;
    const long first = std::strtol(at, &end, 10);
    if (end == at || first < 0 || first >= CPU_SETSIZE) break;
    long last = first;
    if (*end == '-') {
      at = end + 1;
      last = std::strtol(at, &end, 10);
      if (end == at || last < first || last >= CPU_SETSIZE) break;
    }
    for (long cpu = first; cpu <= last; ++cpu) cpus.push_back(static_cast<int>(cpu));
    if (*end != ',') break;
    at = end + 1;
  }
  return cpus;
}

std::vector<int> SpreadOrder(const cpu_set_t& allowed,
                             const std::function<std::string(int cpu)>& siblings) {
  std::vector<std::pair<int, int>> ranked;  // how many allowed siblings come before it, the CPU
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(static_cast<std::size_t>(cpu), &allowed)) continue;
    int before = 0;
    for (const int sibling : ParseCpuList(siblings(cpu))) {
      if (sibling < cpu && CPU_ISSET(static_cast<std::size_t>(sibling), &allowed)) ++before;
    }
    ranked.emplace_back(before, cpu);
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<int> order;
  for (const auto& [before, cpu] : ranked) order.push_back(cpu);
  return order;
}

std::vector<int> SpreadOrder(const cpu_set_t& allowed) {
  return SpreadOrder(allowed, [](int cpu) {
    return ReadSmallFile(AT_FDCWD, "/sys/devices/system/cpu/cpu" + std::to_string(cpu) +
                                       "/topology/thread_siblings_list");
  });
}

}  // namespace fiverow::match
