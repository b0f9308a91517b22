// Why an engine failed, in words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fiverow::match {

// "exited with status 3", "was killed by signal 9", and, when it ran under a
// memory limit and its error output tells of a failed allocation or it held
// nearly all of it, that it ran out of memory.
std::string CrashReason(bool signalled, int code, std::string_view errors, long peakResidentKiB,
                        std::optional<std::uint64_t> memoryBytes);

// "out of memory (12 MB over its limit of 64 MB)": killed by the referee for
// holding `heldBytes`.
std::string OverBudgetReason(std::uint64_t heldBytes, std::uint64_t memoryBytes);

}  // namespace fiverow::match
