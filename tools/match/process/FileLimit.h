// The referee's limit on open files, which games played at once share.
#pragma once

#include <cstdint>

namespace fiverow::match {

// Raises the soft limit on open files to the hard one; the soft limit now.
std::uint64_t RaiseOpenFileLimit();

// About how many files the referee holds open to play `workers` games at
// once: pipes and a handle per engine, folders, files being written, and a
// quarter of the limit that the scan of /proc may keep for itself.
constexpr std::uint64_t OpenFilesNeeded(int workers) {
  return 4 * (32 + 24 * static_cast<std::uint64_t>(workers)) / 3;
}

}  // namespace fiverow::match
