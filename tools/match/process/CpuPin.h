// Holds the calling thread to one CPU of those it may run on, while it
// lives; what the thread starts meanwhile (an engine, with its threads and
// everything it starts) is held to that CPU too, for its whole life. A game
// whose referee thread and engines share one CPU wakes no idle CPU when the
// turn passes between them, which on an otherwise idle machine is most of a
// pipe move's cost; an engine's threads then share that CPU too. Windows:
// holds nothing.
#pragma once

#include <memory>

namespace fiverow::match {

class CpuPin {
 public:
  // The `slot`-th of the CPUs the thread may run on, round robin, one
  // hardware thread of each core before a second of any; nothing is held
  // when they cannot be read or set.
  explicit CpuPin(int slot);
  // Lets the thread run on the CPUs it could before.
  ~CpuPin();
  CpuPin(const CpuPin&) = delete;
  CpuPin& operator=(const CpuPin&) = delete;

  // The CPU it is held to; none when nothing is held.
  int cpu() const { return cpu_; }

 private:
  struct Allowed;
  std::unique_ptr<Allowed> before_;
  int cpu_ = -1;
};

}  // namespace fiverow::match
