#include "process/CpuPin.h"

#include <sched.h>

#include <cstddef>
#include <vector>

#include "process/posix/CpuOrder.h"

namespace fiverow::match {

struct CpuPin::Allowed {
  cpu_set_t cpus;
};

CpuPin::CpuPin(int slot) : before_(std::make_unique<Allowed>()) {
  // Those given by taskset or a cpuset, read afresh: the thread is not held
  // already, since pins do not nest.
  if (::sched_getaffinity(0, sizeof before_->cpus, &before_->cpus) != 0) return;
  const std::vector<int> order = SpreadOrder(before_->cpus);
  if (order.empty()) return;
  const int cpu = order[static_cast<std::size_t>(slot) % order.size()];
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(static_cast<std::size_t>(cpu), &one);
  if (::sched_setaffinity(0, sizeof one, &one) == 0) cpu_ = cpu;
}

CpuPin::~CpuPin() {
  if (cpu_ >= 0) ::sched_setaffinity(0, sizeof before_->cpus, &before_->cpus);
}

}  // namespace fiverow::match
