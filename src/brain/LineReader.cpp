#include "brain/LineReader.h"

namespace fiverow::brain {

std::optional<InputLine> LineReader::Next() {
  std::size_t length = 0;
  bool cut = false;
  auto whole = [&] { return InputLine{std::string_view(line_.data(), length), cut}; };
  while (true) {
    while (next_ < end_) {
      const char c = block_[next_++];
      if (c == '\r' || c == '\n') {
        if (length > 0 || cut) return whole();
        continue;
      }
      if (length < line_.size()) {
        line_[length++] = c;
      } else {
        cut = true;  // the rest of the line is skipped, not stored
      }
    }
    if (atEnd_) return std::nullopt;
    next_ = 0;
    end_ = read_(block_.data(), block_.size());
    if (end_ == 0) {
      atEnd_ = true;
      if (length > 0 || cut) return whole();
      return std::nullopt;
    }
  }
}

}  // namespace fiverow::brain
