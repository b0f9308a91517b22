#include "protocol/LineSplitter.h"

namespace fiverow::protocol {

void LineSplitter::Add(std::string_view bytes) {
  for (const char c : bytes) {
    if (c == '\n' && afterCr_) {
      afterCr_ = false;
      continue;
    }
    afterCr_ = c == '\r';
    if (c == '\r' || c == '\n') {
      EndLine();
    } else if (partial_.text.size() < lineLimit_) {
      partial_.text += c;
    } else {
      partial_.cut = true;
    }
  }
}

TextLine LineSplitter::Take() {
  TextLine line = std::move(lines_.front());
  lines_.pop_front();
  return line;
}

void LineSplitter::EndLine() {
  if (!partial_.text.empty() || partial_.cut) lines_.push_back(std::move(partial_));
  partial_ = {};
}

}  // namespace fiverow::protocol
