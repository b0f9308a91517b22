// An engine started by a pinned thread would not inherit the thread's CPU
// on Windows (its job would have to be held): nothing is pinned here.
#include "process/CpuPin.h"

namespace fiverow::match {

struct CpuPin::Allowed {};

CpuPin::CpuPin(int) {}

CpuPin::~CpuPin() = default;

}  // namespace fiverow::match
