// Splits the manager's input into lines, in bounded memory.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace fiverow::brain {

// Fills up to `capacity` bytes, waiting for at least one; returns how many,
// 0 at the end of the input.
using ReadBytes = std::function<std::size_t(char* buffer, std::size_t capacity)>;

struct InputLine {
  std::string_view text;  // without its line end; valid until the next read
  bool cut = false;       // longer than kMaxLineLength: only its start is kept
};

class LineReader {
 public:
  static constexpr std::size_t kBlockSize = 4096;
  static constexpr std::size_t kMaxLineLength = 1024;

  explicit LineReader(ReadBytes read) : read_(std::move(read)) {}

  // The next non-empty line; nothing at the end of the input. A CR or an LF
  // ends a line, so CR LF, LF and a lone CR all work, and the empty line
  // inside a CR LF is skipped. More input is read only while no whole line is
  // buffered: a line that has arrived is handed over without waiting for the
  // next. The last line may lack its line end.
  std::optional<InputLine> Next();

 private:
  ReadBytes read_;
  std::array<char, kBlockSize> block_{};
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  std::array<char, kMaxLineLength> line_{};
};

}  // namespace fiverow::brain
