#include "board/RandomBytes.h"

#include "runtime/win32/WinApi.h"
// After windows.h, which it needs.
#include <bcrypt.h>

#include <string>

#include "process/RefereeError.h"

namespace fiverow::board {

void FillRandom(char* to, std::size_t size) {
  const NTSTATUS status =
      ::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(to), static_cast<ULONG>(size),
                        BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (status != 0)
    throw match::RefereeError("no random bytes (status " + std::to_string(status) + ")");
}

}  // namespace fiverow::board
