// The order in which games are given CPUs (CpuPin.h): one hardware thread of
// each core first, then a second of each, and so on, so that two games share
// a core only when every core has one.
#pragma once

#include <sched.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fiverow::match {

// The CPUs of a list as the kernel writes them: "0-3,8,10-11".
std::vector<int> ParseCpuList(std::string_view text);

// The CPUs of `allowed` in that order; `siblings` gives the list of a CPU's
// core's hardware threads (empty when unknown: a core of its own).
std::vector<int> SpreadOrder(const cpu_set_t& allowed,
                             const std::function<std::string(int cpu)>& siblings);

// The same with the machine's topology, from sysfs.
std::vector<int> SpreadOrder(const cpu_set_t& allowed);

}  // namespace fiverow::match
