// Maps POSIX errno values onto the Windows system error codes that the
// failure messages are keyed on, so the same situation gives the same report
// on every platform.
#pragma once

#include "runtime/FileSystem.h"

namespace fiverow {

IoCode IoCodeFromErrno(int error);

}  // namespace fiverow
