#include "process/FileLimit.h"

#include <cstdio>

namespace fiverow::match {

// Folders are held as C runtime descriptors: their table is what may run out.
std::uint64_t RaiseOpenFileLimit() {
  _setmaxstdio(2048);
  return static_cast<std::uint64_t>(_getmaxstdio());
}

}  // namespace fiverow::match
