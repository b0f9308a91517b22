// Reads the manager's input as lines, in bounded memory.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

#include "protocol/LineSplitter.h"

namespace fiverow::brain {

// Fills up to `capacity` bytes, waiting for at least one; returns how many,
// 0 at the end of the input.
using ReadBytes = std::function<std::size_t(char* buffer, std::size_t capacity)>;

class LineReader {
 public:
  static constexpr std::size_t kBlockSize = 4096;
  static constexpr std::size_t kMaxLineLength = 1024;

  explicit LineReader(ReadBytes read) : read_(std::move(read)) {}

  // The next non-empty line; nothing at the end of the input. CR LF, LF and a
  // lone CR all end a line. More input is read only while no whole line is
  // waiting: a line that has arrived is handed over without waiting for the
  // next. The last line may lack its line end.
  std::optional<protocol::TextLine> Next();

 private:
  ReadBytes read_;
  std::array<char, kBlockSize> block_{};
  protocol::LineSplitter lines_{kMaxLineLength};
  bool atEnd_ = false;
};

}  // namespace fiverow::brain
