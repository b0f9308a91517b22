#include "process/CpuPin.h"

#include <sched.h>

#include <cstddef>

namespace fiverow::match {

struct CpuPin::Allowed {
  cpu_set_t cpus;
};

CpuPin::CpuPin(int slot) : before_(std::make_unique<Allowed>()) {
  // Those given by taskset or a cpuset, read afresh: the thread is not held
  // already, since pins do not nest.
  if (::sched_getaffinity(0, sizeof before_->cpus, &before_->cpus) != 0) return;
  const int count = CPU_COUNT(&before_->cpus);
  if (count == 0) return;
  int wanted = slot % count;
  for (std::size_t cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &before_->cpus) || wanted-- > 0) continue;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    if (::sched_setaffinity(0, sizeof one, &one) == 0) cpu_ = static_cast<int>(cpu);
    return;
  }
}

CpuPin::~CpuPin() {
  if (cpu_ >= 0) ::sched_setaffinity(0, sizeof before_->cpus, &before_->cpus);
}

}  // namespace fiverow::match
