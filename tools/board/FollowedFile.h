// The file a watched match is written to, read as it grows, each platform's
// in posix/ or win32/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fiverow::board {

// Opened to read, never blocking, never inherited, and never in the way of
// the writer (who may truncate, replace or remove it): a descriptor, or -1.
int OpenFollowed(const std::string& path);

// Whether `path` still names the file open as `fd`, not another or none.
bool StillNamed(int fd, const std::string& path);

// Reads at `offset`, not moving the file's position: bytes read, 0 at its
// end, -1 on a failure (errno set).
std::ptrdiff_t ReadAt(int fd, char* to, std::size_t size, std::int64_t offset);

}  // namespace fiverow::board
